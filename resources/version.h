// The library's version, written into its VERSIONINFO and shown by the About box.
#pragma once
#define QN_VERSION_MAJOR 2
#define QN_VERSION_MINOR 0
#define QN_VERSION_PATCH 1
#define QN_VERSION_BUILD 0
#define QN_VERSION_TEXT "2.0.1.0"
