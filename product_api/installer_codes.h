// The product's Windows Installer identity: its product code and the component code of its
// sync library. Whoever finds or installs the library uses these.
#pragma once

constexpr char kProductCode[] = "{5A1E3C90-7D42-4C8B-9E21-3F6A0B8D2C71}";
constexpr char kSyncLibraryComponentCode[] = "{9E07B2D4-18C3-4A6F-B5D0-C2E4716F3A58}";
