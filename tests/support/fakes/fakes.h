// Native stand-ins for the Windows edge: each subsystem's fake lives in its own
// file here and exposes its knobs (what the "platform" answers) in this header's
// section for that subsystem.
#pragma once
