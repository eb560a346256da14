#include "res/version.h"

namespace velk {

// The version and the description come from the build (the project's own);
// the rest is the record's.
const VersionRecord kVersionRecord{
    VELK_VERSION,
    VELK_DESCRIPTION,
    "VELK-C4-M210",
    "velk",
    "velk",
    "Copyright (C) 2026 the velk authors",
    "velk",
};

}  // namespace velk
