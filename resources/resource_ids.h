// Identifiers of the resources the executable carries. Shared by the resource
// script and the code, so it holds nothing but numbers.
#pragma once

#define kSphereTextureBitmapId 107
#define kBannerBitmapId 108
#define kSmallIconId 1
#define kLargeIconId 2
#define kIconGroupId 1
#define kAboutDialogId 2003
#define kDescriptionStringId 1
