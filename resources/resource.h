// Identifiers of the library's resources, shared by the resource script and
// the C++ code (so: plain #defines, which the resource compiler understands).
#pragma once

// Messages, names and captions of the string table (resources/strings.inc)
#define IDS_SOURCE_NOT_FOUND      305   // "Unable to locate source file : %s"
#define IDS_SCRIPT_NOT_FOUND      306   // "%s script file not found. ..."
#define IDS_ELEMENT_NAME_BASE     350   // + element 1..11: the element's display name
#define IDS_LOCAL_LABEL           405   // "Local  %s "
#define IDS_NOT_IN_FUNCTION       406   // "(Not in function)"
#define IDS_DEBUGGER_TITLE        407   // "Quendle Debugger"
#define IDS_NO_VARIABLE_SELECTED  408   // "Unable to add watch point, no variable is selected."
#define IDS_VARIABLE_NOT_FOUND    409   // "<variable not found>"
#define IDS_SET_COLORS            410   // "Set Colors..."
#define IDS_ABOUT                 411   // "About..."
#define IDS_LINE_BREAKPOINT       601   // "Line: %.4d (%s)"
#define IDS_FUNCTION_BREAKPOINT   602   // "Function: %s"
#define IDS_DEBUG_FILE_NOT_FOUND  3249  // "Unable to locate debug file : %s"
#define IDS_LINE_LIMIT_CAPTION    6780  // "Quendle"
#define IDS_LINE_LIMIT            6781  // "File contains too many line exceeding maximum limit of %ld."
#define IDS_TEST_STRING           6782  // "Test String"

// Vocabulary tables: the count id, then one id a word
#define IDS_KEYWORDS_COUNT        2000
#define IDS_FUNCTIONS_COUNT       4000
#define IDS_CONSTANTS_COUNT       4999

// Strings of the host process's own module used by the pools' error report
#define IDS_HOST_POOL_ERROR_TITLE  86
#define IDS_HOST_POOL_ERROR_FORMAT 402

// The main window (template 500)
#define IDD_MAIN_WINDOW           500
#define IDC_GLOBAL_VALUE          101   // value edits
#define IDC_LOCAL_VALUE           102
#define IDC_GLOBAL_NAMES          301   // variable name combo boxes
#define IDC_LOCAL_NAMES           302
#define IDC_SOURCE_VIEW           401   // the shown source view, over 402
#define IDC_SOURCE_PLACEHOLDER    402
#define IDC_WATCH_WINDOW          403   // the watch window, over 404
#define IDC_WATCH_PLACEHOLDER     404
#define IDC_STEP                  501   // command buttons
#define IDC_STEP_INTO             502
#define IDC_GO                    503
#define IDC_STOP                  504
#define IDC_EXIT                  505
#define IDC_BREAK                 506
#define IDC_WATCH_LOCAL           507
#define IDC_WATCH_GLOBAL          508
#define IDC_GO_CAPTION            701   // caption statics; each acts as its button
#define IDC_STOP_CAPTION          702
#define IDC_STEP_CAPTION          703
#define IDC_STEP_INTO_CAPTION     704
#define IDC_EXIT_CAPTION          705
#define IDC_BREAK_CAPTION         706
#define IDC_SOURCE_LABEL          1001
#define IDC_WATCH_LABEL           1002
#define IDC_GLOBAL_LABEL          1003
#define IDC_LOCAL_LABEL           1004
#define IDC_VARIABLES_GROUP       1101
#define IDM_SET_COLORS            1001  // system-menu commands
#define IDM_ABOUT                 1002

// Faces of the main window's owner-drawn buttons: normal; pressed +1, disabled +2
#define IDB_EXIT_FACE             550
#define IDB_STOP_FACE             553
#define IDB_STEP_INTO_FACE        556
#define IDB_STEP_FACE             559
#define IDB_GO_FACE               562
#define IDB_BREAK_FACE            565
#define IDB_WATCH_FACE            568   // WG and WL

// The Color dialog (template 502)
#define IDD_COLOR_DIALOG          502
#define IDC_COLOR_DEFAULTS        50    // "&Default Colors"
#define IDC_COLOR_ELEMENTS        201   // list box of the source elements
#define IDC_COLOR_BACKGROUND_GROUP 300  // group box; buttons 301..316 follow
#define IDC_COLOR_FOREGROUND_GROUP 400  // group box; buttons 401..416 follow
#define IDC_COLOR_ELEMENTS_LABEL  701
#define IDC_COLOR_SAMPLE          801   // owner-drawn sample

// The About box (template 504)
#define IDD_ABOUT_BOX             504
#define IDC_ABOUT_SEPARATOR       101   // owner-drawn etched line
#define IDC_ABOUT_NAME            201
#define IDC_ABOUT_VERSION_LABEL   202
#define IDC_ABOUT_VERSION         203   // replaced by the version text
#define IDC_ABOUT_NOTICE          204
#define IDT_ABOUT_CREDITS         101   // timer of the credits strip

// The Set Breakpoints dialog (template 501)
#define IDD_BREAKPOINTS           501
#define IDC_BREAK_SET             301   // the default button
#define IDC_BREAK_CLEAR           302
#define IDC_BREAK_CLEAR_ALL       303
#define IDC_BREAK_CLOSE           304
#define IDC_BREAK_LIST            401   // labels of the breakpoints
#define IDC_BREAK_FUNCTIONS       601   // the script's functions
#define IDC_BREAK_LOCATION        701   // a line number or a function name
#define IDC_BREAK_LIST_LABEL      1001
#define IDC_BREAK_LOCATION_LABEL  1002
#define IDC_BREAK_FUNCTIONS_LABEL 1003

// The Script Location dialog of the source window
#define IDD_SCRIPT_LOCATION       510
#define IDC_SCRIPT_PATH           103
