// What the about box's template must hold, control by control: the one table
// that the resource test (the template's bytes) and the about box test (the
// windows the dialog manager makes of it) both check against.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"

struct AboutBoxControl {
    WORD predefinedClass;   // the template's class ordinal; 0 where the class is given by name
    const char* className;  // the control's window class
    WORD id;
    DWORD style;
    short x, y, cx, cy;     // dialog units
    const char* text;       // null for the banner, whose text names bitmap IDB_BANNER
};

constexpr DWORD kAboutBoxStyle = 0x90C800C0;  // WS_POPUP|WS_VISIBLE|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SETFONT
constexpr short kAboutBoxX = 28;
constexpr short kAboutBoxY = 25;
constexpr short kAboutBoxWidth = 181;
constexpr short kAboutBoxHeight = 70;
constexpr char kAboutBoxCaption[] = "Wygaszacz Ekranu 3D";
constexpr WORD kAboutBoxFontPoints = 8;
constexpr char kAboutBoxFont[] = "MS Sans Serif";

// In template order, which is also the tab and creation order.
constexpr AboutBoxControl kAboutBoxControls[] = {
    {0x0080, "Button", IDOK, 0x50030001, 125, 50, 50, 14, "OK"},
    {0x0082, "Static", 0xFFFF, 0x50020001, 13, 9, 150, 8, "Vorbix3D wer. 0.01"},
    {0x0082, "Static", 0xFFFF, 0x50020001, 49, 22, 70, 9, "vorbix@example.net"},
    {0x0082, "Static", 0xFFFF, 0x50020001, 45, 34, 78, 8, "example.net/vorbix"},
    {0, "Static", 0xFFFF, 0x5000100E, 15, 52, 81, 11, nullptr},  // the banner: SS_BITMAP|SS_SUNKEN
};
