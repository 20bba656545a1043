// Resource ids of emberhall.scr, shared by the resource script and the code.
#pragma once

// The screen saver's name in the Windows screen saver list is string 1.
#define IDS_DESCRIPTION 1

#define IDD_CONFIG 101

// The program's file icon. Explorer shows the first icon group of the file; the window class
// asks for the same picture by the name IDI_MAIN.
#define IDI_EMBERHALL 102

// Controls of the configuration dialog.
#define IDC_STATIC (-1)
#define IDC_STANDARD 1000
#define IDC_YELLOW 1001
#define IDC_CYCLE 1002
#define IDC_SOUND 1003
#define IDC_MUSIC 1004
#define IDC_ABOUT 1005
#define IDC_SPARKS 1006
