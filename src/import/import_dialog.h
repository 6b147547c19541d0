// The import dialog: the model's frames and skins, and the user's choice of
// the frame to build.
#pragma once

#include "import/import_record.h"
#include "md2/md2_model.h"
#include "platform/platform.h"

// Fills both lists and both counts from the model; 0 if a list is missing.
int FillImportDialog(WindowHandle dialog, const Md2Model& model);
// Stores the first selected frame (0 when none is) as the record's choice.
void ReadFrameChoice(WindowHandle dialog, ImportRecord* record);
// The dialog's procedure, on the import record given as its context: Import
// ends it with 1, Cancel with 0.
int ImportDialogProcedure(WindowHandle dialog, DialogEvent event, int commandId, void* context);
