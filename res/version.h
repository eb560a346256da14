// The version record: what the program says about itself to the desktop
// (the application's version and names, the desktop entry).
#pragma once

namespace velk {

struct VersionRecord {
    const char* fileVersion;       // also the product version
    const char* fileDescription;
    const char* internalName;
    const char* originalFilename;  // the program as installed
    const char* productName;
    const char* legalCopyright;
    const char* desktopFileName;   // the desktop entry, without ".desktop"
};

extern const VersionRecord kVersionRecord;

}  // namespace velk
