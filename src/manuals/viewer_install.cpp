// Starting the reader's installer from the disc, asking for the disc again for
// as long as neither installer of the pair can be started.
#include "base/buf.h"
#include "base/program.h"
#include "log/log.h"
#include "manuals/manuals_platform.h"
#include "manuals/viewer.h"
#include "prompts/prompts.h"
#include "strrez/strrez.h"

// The string lookup upper-cases keys in place, so they live in writable storage.
static char InsertCdKey[] = "MSG_Message_InsertCD";
static char OkKey[] = "MSG_Button_OK";
static char CancelKey[] = "MSG_Button_Cancel";

void Install_Viewer(void) {
  char first[256], second[256], prompt[256];
  int firstFits = Viewer_Installer_Command(SystemLanguageId, 0, SourceRoot, first, dimof(first));
  int secondFits =
      Viewer_Installer_Command(SystemLanguageId, 1, SourceRoot, second, dimof(second));
  // A cut command line would start some other program, or none: such an
  // installer counts as one that failed to start, so the user still gets the
  // disc prompt and can give up.
  if (!firstFits || !secondFits) Log_Line(0, "Installer path too long to start");
  const char* const args[1] = {"Installation (v1.5 or greater)"};
  for (;;) {
    if (firstFits && Viewer_Start(first) >= 32) return;
    if (secondFits && Viewer_Start(second) >= 32) return;
    // Without memory for the argument copy, the looked-up text is shown as it is.
    Str_Format(0, InsertCdKey, prompt, dimof(prompt), args, 1);
    if (Ask_User(prompt, OkKey, CancelKey) != 1) return;
  }
}
