// Ids of the host's own resources (shared by the .rc script and the code).
#define IDD_ZARVEXHOST_DIALOG 102
#define IDI_ZARVEXHOST 128
#define IDC_SMALL_APP_LOGO 1000
#define IDC_CONFIGURE 1001
#define IDC_PROGRESS_PLACE 1002
#define IDC_STATUS_PLACE 1003
#define IDC_MAIN_APP_AREA 1004
#define IDC_PRINT_WINDOW 1005
#define IDS_HOST_TITLE 200
#define IDS_NO_APPLICATION 201
#define IDS_PAGES_TO_COME 202
