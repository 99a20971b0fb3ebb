// What robot_hook.dll measures inside the target's own thread and hands back
// to robot.exe through a shared memory block, named DV_ROBOT_MEASURE_MAPPING
// followed by the robot's process id (which the message's wParam carries).
// Only ints and wide characters: the x86_64 and the i686 pieces share it.
#pragma once
#include <windows.h>

#define DV_ROBOT_MEASURE_MESSAGE L"DvRobotMeasureControl"
#define DV_ROBOT_MEASURE_MAPPING L"DvRobotMeasure"

// The hook beside the robot of each build.
#ifdef _WIN64
#define DV_ROBOT_HOOK_DLL L"robot_hook.dll"
#else
#define DV_ROBOT_HOOK_DLL L"robot_hook32.dll"
#endif

#define DV_ROBOT_MISSING_SAMPLE 16

struct Robot_Measure {
  int done;            // set by the hook once the fields below are filled in
  int fits;            // 1: every text fits its room
  int need_cx, need_cy;  // the size the text needs (list box: the widest item)
  int room_cx, room_cy;  // the room it has: client rectangle, less the button edge or list item margin
  int items, items_cut;  // list boxes: entries, and how many do not fit
  int font_height;     // the control's font (WM_GETFONT), as GetObject reports it
  wchar_t font_face[LF_FACESIZE];
  wchar_t drawn_face[LF_FACESIZE];  // the face the font maps to (GetTextFace), links aside
  int missing_glyphs;  // characters of the text (as drawn) that come out as the missing-glyph box or blank
  wchar_t missing[DV_ROBOT_MISSING_SAMPLE];  // the first few distinct ones
};
