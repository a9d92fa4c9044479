/* Ids of the library's own resources, shared by zarvexapp.rc and the code
   that loads them. Only #define lines: the resource compiler reads it too. */
#ifndef ZARVEXAPP_RESOURCES_RESOURCE_H
#define ZARVEXAPP_RESOURCES_RESOURCE_H

/* Dialog templates */
#define IDD_MAIN_APP_PAGE 9            /* default main page (tab) */
#define IDD_SPLASH_APP_FIND 10         /* plug-in search splash */
#define IDD_PRINT_WINDOW 12            /* print window */
#define IDD_SMALL_APP_LOGO 13          /* small application logo */
#define IDD_SYSTEM_PLATFORM_PAGE 18    /* System tab: target platform */
#define IDD_SUB_PAGE_TEMPLATE 20       /* blank starting point for sub-pages */
#define IDD_SYSTEM_APPLICATION_PAGE 22 /* System tab: application */
#define IDD_PROGRESS_CONTROL 23        /* progress bar */
#define IDD_APPLICATION_SELECT 24      /* application select dialog */

/* Bitmaps, icons, menus, documents */
#define IDB_SPLASH 11             /* 400 x 250, 24 bits per pixel */
#define IDR_PRINT_WINDOW_POPUP 14 /* "PrintWindowPopUp" */
#define IDI_TECHNICAL_BRIEF 29
#define IDR_FEATURES_TEMPLATE 30 /* type "DOCFILE" */

/* Strings */
#define IDS_SYSTEM 16
#define IDS_ANYTHING 17
#define IDS_TARGET_PLATFORM 19
#define IDS_APPLICATION 21

/* Commands of the print window's pop-up menu */
#define ID_PRINTWINDOW_CLEAR 32773
#define ID_PRINTWINDOW_COPY 32774

/* Controls. The same id may name different controls in different dialogs
   (1018 is the sub-page selector of a main page and the daughter-card box of
   the platform sub-page). */
#define IDC_SPLASH_BITMAP 1006
#define IDC_RELEASE_TEXT 1009
#define IDC_PRODUCT_NAME 1010
#define IDC_SEARCH_TEXT 1011
#define IDC_PLUGIN_TEXT 1012
#define IDC_PRINT_RICHEDIT 1013
#define IDC_SMALL_LOGO_BITMAP 1014
#define IDC_CHANGE_APPLICATION 1015
#define IDC_SUB_PAGE_NOTE 1016
#define IDC_TARGET_PLATFORM 1017
#define IDC_SUB_PAGE_SELECT 1018
#define IDC_TARGET_PLATFORM_DC 1018
#define IDC_MAIN_PAGE_NOTE 1019
#define IDC_APPLICATION_TITLE 1020
#define IDC_HW_VERSION 1021
#define IDC_PROGRESS 1022
#define IDC_APPLICATION_DESCRIPTION 1023
#define IDC_SUB_PAGE_FRAME 1024
#define IDC_APPLICATION_COMBO 1025
#define IDC_DESCRIPTION_EDIT 1026
#define IDC_PLATFORM_FILTER_GROUP 1027
#define IDC_PLATFORM_FILTER_ENABLE 1028
#define IDC_PLATFORM_COMBO 1029
#define IDC_PLATFORM_DC_COMBO 1030
#define IDC_PLATFORM_FILTER_TEXT 1031
#define IDC_DAUGHTER_CARD_TEXT 1032
#define IDC_WEBPAGE_LINK 1033
#define IDC_WEBPAGE_LABEL 1034
#define IDC_TECHNICAL_BRIEF_LABEL 1035
#define IDC_PDF_ICON 1036
#define IDC_FEATURES 1047

#endif
