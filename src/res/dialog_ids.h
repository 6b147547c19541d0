/* Ids of the plug-in's dialog templates and their controls; shared by the
   resource script and the code. */
#ifndef CORVANE_DIALOG_IDS_H
#define CORVANE_DIALOG_IDS_H

#define IDD_IMPORT 101
#define IDD_EXPORT 102
#define IDD_RENAME 120

#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_RENAME 3

#define IDC_FRAME_COUNT 110
#define IDC_SKIN_COUNT 111
#define IDC_FRAME_LIST 112
#define IDC_SKIN_LIST 113

#define IDC_TOTAL_FRAMES 110
#define IDC_ANIMATION_LIST 112
#define IDC_SKIN_WIDTH 1000
#define IDC_SKIN_HEIGHT 1001
#define IDC_SKIN_DIRECTORY 1002
#define IDC_ANIMATION_COUNT 1005
#define IDC_NEW_NAME 1006

#endif
