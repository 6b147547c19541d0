// A skin's name as the import shows it and names its material.
#pragma once

#include "host_api/host_records.h"
#include "md2/md2_model.h"

// The skin's path through the system code page, cut to its file name and
// extension; "blank" when nothing is left.
void SkinFileName(const Md2SkinName& skin, char16_t out[kTextPairUnits]);
