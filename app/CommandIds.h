#pragma once

// Command ids: the program's own (from 32772) and the standard ones (57600 and up); the
// actions' object names carry these numbers, and scripts find the commands by them.
enum CommandId : int
{
    ID_SEPARATOR = 0,

    // The program's own commands.
    ID_VIEW_OVERLAY = 32772,
    ID_TOOL_ARROW = 32773,
    ID_TOOL_LINE = 32774,
    ID_TOOL_CURVE = 32775,
    ID_TOOL_RECTANGLE = 32776,
    ID_TOOL_ERASER = 32777,
    ID_SEND_TARGETS = 32778,
    ID_ZOOM_IN = 32779,
    ID_ZOOM_OUT = 32780,
    ID_ZOOM_RESET = 32781,
    ID_CLEAR_ALL = 32783,
    ID_VIEW_HEADER = 32784,
    ID_OPTIONS = 32785,
    ID_PLOT_3D = 32788,
    ID_PROPERTIES = 32790,
    ID_ORIENTATION = 32793,
    ID_SHARE_LIVE_VIEW = 32794,
    // Data in and out.
    ID_FILE_EXPORT = 32800,
    ID_EXPORT_TARGETS = 32801,
    ID_IMPORT_TARGETS = 32802,
    ID_VIEW_TARGET_LIST = 32803,
    // The colour range.
    ID_RANGE_LOCK = 32804,

    // The standard commands.
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616, // "Recent File": the place of the recent-file list
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_DEFAULT_HELP = 57671,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_WINDOW_CLOSE = 61536, // a child window's Close (its system menu's SC_CLOSE)
    ID_VIEW_STATUS_BAR = 59393,
};

// Status pane ids.
enum StatusPaneId : int
{
    ID_INDICATOR_STAT = 101,
    ID_INDICATOR_CAPS = 59137,
    ID_INDICATOR_NUM = 59138,
    ID_INDICATOR_SCRL = 59139,
};
