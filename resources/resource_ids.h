// Identifiers of the resources the executable carries. Shared by the resource
// script, the code and the tests, so it holds nothing but numbers.
#pragma once

#define IDB_SPHERE_TEXTURE 107
#define IDB_BANNER 108
// The icon group; windres numbers its two images itself, in file order.
#define IDI_VORBIX 1
#define IDI_VORBIX_16 1
#define IDI_VORBIX_32 2
#define IDD_ABOUT 2003
#define IDS_DESCRIPTION 1
