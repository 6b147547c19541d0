#include "import/import_options.h"

// Importing is not built yet: every import-options request fails.
int ImportOptions(HostScene*, void*) { return 0; }
