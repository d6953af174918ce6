// Resource ids of ZorTabList.dll, shared by the .rc file and the C++ code.
#pragma once

#define IDB_ZORTABLIST 101     // toolbox picture, 16 x 16, 4 bits per pixel
#define IDR_ZORTABLIST 102     // registration script, type "REGISTRY"
#define IDD_ZORTABLIST 103     // the control's child dialog
#define IDC_TABSTRIP 201       // dialog item: the tab strip
#define IDC_TREE 202           // dialog item: the tree view
#define IDB_PICTURE_FIRST 202  // item pictures 202..256, transparent white
#define IDB_PICTURE_LAST 256
#define IDB_OVERLAY_FIRST 301  // overlay pictures 301..308, transparent cyan
#define IDB_OVERLAY_LAST 308
#define ZORTAB_PICTURE_COUNT (IDB_PICTURE_LAST - IDB_PICTURE_FIRST + 1)
#define ZORTAB_OVERLAY_COUNT (IDB_OVERLAY_LAST - IDB_OVERLAY_FIRST + 1)
#define ZORTAB_PICTURE_TRANSPARENT 0xFFFFFF  // COLORREF white
#define ZORTAB_OVERLAY_TRANSPARENT 0xFFFF00  // COLORREF cyan: red 0, green 255, blue 255
