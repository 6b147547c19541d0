// The import dialog: the model's frames and skins, and the user's choice of
// the frame to build.
#pragma once

#include "platform/platform.h"

// Fills both lists and both counts from the model; 0 if a list is missing.
int FillImportDialog(WindowHandle dialog);
// Stores the first selected frame (0 when none is) as the model's choice.
void ReadFrameChoice(WindowHandle dialog);
// The dialog's procedure: Import ends it with 1, Cancel with 0.
int ImportDialogProcedure(WindowHandle dialog, DialogEvent event, int commandId, void* context);
