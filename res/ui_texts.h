// What the user reads in the main window, and where its controls stand: the
// texts, the layout in dialog units and the messages of the window's own
// buttons. The resource script (res/zorvane.rc), the Windows dialog (app/) and
// the Linux window (qt/) all take them from here.
//
// Plain macros only: the resource compiler reads this file too. Texts are
// string literals (adjacent literals join, in the resource script as in C++);
// a rectangle is "x, y, width, height".
#ifndef ZORVANE_RES_UI_TEXTS_H
#define ZORVANE_RES_UI_TEXTS_H

#include "zorvane_version.h"

#define ZORVANE_PRODUCT_NAME "Zorvane"
#define ZORVANE_MAKER_NAME "Zorvane developers"
#define ZORVANE_WINDOW_TITLE ZORVANE_PRODUCT_NAME " " ZORVANE_VERSION_TEXT

// The window: its size, then its controls in layout (and tab) order.
#define ZORVANE_DIALOG_WIDTH 239
#define ZORVANE_DIALOG_HEIGHT 137

#define ZORVANE_TEXT_FRAMES_GROUP "Frames (drop GIF files here)"
#define ZORVANE_RECT_FRAMES_GROUP 7, 7, 109, 90
#define ZORVANE_RECT_FRAME_LIST 10, 18, 102, 57
#define ZORVANE_TEXT_REMOVE_FRAME "Remove Frame"
#define ZORVANE_RECT_REMOVE_FRAME 10, 78, 59, 14
#define ZORVANE_TEXT_CLEAR_ALL "Clear All"
#define ZORVANE_RECT_CLEAR_ALL 72, 78, 40, 14
#define ZORVANE_TEXT_INFO_GROUP "Info for selected frame"
#define ZORVANE_RECT_INFO_GROUP 119, 7, 113, 44
#define ZORVANE_RECT_FRAME_NAME 127, 16, 94, 14
#define ZORVANE_TEXT_INFO_LABELS "Dimensions:\nPalette:"
#define ZORVANE_RECT_INFO_LABELS 127, 31, 40, 17
#define ZORVANE_RECT_FRAME_INFO 170, 31, 50, 17
#define ZORVANE_TEXT_DELAY_LABEL "Frame delay:"
#define ZORVANE_RECT_DELAY_LABEL 127, 80, 41, 8
#define ZORVANE_RECT_DELAY 169, 78, 37, 12
#define ZORVANE_RECT_DELAY_SPIN 187, 76, 11, 14
#define ZORVANE_TEXT_DELAY_UNIT "cs"
#define ZORVANE_RECT_DELAY_UNIT 213, 80, 8, 8
#define ZORVANE_TEXT_MAKE_GIF "Make Animated GIF"
#define ZORVANE_RECT_MAKE_GIF 7, 106, 76, 24
#define ZORVANE_TEXT_NOTICE ZORVANE_MAKER_NAME "\nFree software"
#define ZORVANE_RECT_NOTICE 83, 114, 87, 16
#define ZORVANE_TEXT_WEB "web"
#define ZORVANE_RECT_WEB 173, 106, 26, 24
#define ZORVANE_TEXT_LOOP "Loop animation"
#define ZORVANE_RECT_LOOP 127, 66, 79, 10
#define ZORVANE_TEXT_OPTIONS_GROUP "Options"
#define ZORVANE_RECT_OPTIONS_GROUP 119, 53, 113, 44
#define ZORVANE_TEXT_HELP "help"
#define ZORVANE_RECT_HELP 206, 106, 26, 24

// The Save As window of "Make Animated GIF".
#define ZORVANE_SAVE_AS_TITLE ZORVANE_TEXT_MAKE_GIF
#define ZORVANE_GIF_FILTER_NAME "GIF Files (*.gif)"
#define ZORVANE_GIF_PATTERN "*.gif"
#define ZORVANE_GIF_EXTENSION "gif"

// The title of the message boxes. (On Windows those of the GIF core carry no
// title of their own; the system's default reads the same.)
#define ZORVANE_ERROR_CAPTION "Error"

// The "web" button.
#define ZORVANE_HOME_PAGE "https://zorvane.example/"
#define ZORVANE_MSG_WEB_FAILED "Error opening web browser. You may manually surf to " ZORVANE_HOME_PAGE "."

// The "help" button. Windows opens the compiled help beside the program.
#define ZORVANE_HELP_FILE "help.chm"
#define ZORVANE_MSG_HELP_MISSING                                       \
    "Couldn't find the help file! Please make sure " ZORVANE_HELP_FILE \
    " is in the same folder as the executable and try again."
// Linux opens a web page installed under share/zorvane; %1 is the folder where
// it is looked for.
#define ZORVANE_HELP_PAGE_FILE "zorvane-help.html"
#define ZORVANE_MSG_HELP_PAGE_MISSING \
    "Couldn't find the help file! Please make sure " ZORVANE_HELP_PAGE_FILE " is in %1 and try again."

// ---------------------------------------------------------------------------
// Linux window only. The Windows dialog and the resource script use nothing
// below. The Linux window is wider and taller: the frame list gains a button
// for adding files, the info panel a picture of the selected frame and the
// bottom row a preview; controls not named here keep the places given above.
#define ZORVANE_QT_DIALOG_WIDTH 305
#define ZORVANE_QT_DIALOG_HEIGHT 155

#define ZORVANE_QT_RECT_FRAMES_GROUP 7, 7, 109, 108
#define ZORVANE_QT_TEXT_ADD_FRAMES "Add Frames\u2026"
#define ZORVANE_QT_RECT_ADD_FRAMES 10, 96, 102, 14
#define ZORVANE_QT_RECT_INFO_GROUP 119, 7, 179, 62
#define ZORVANE_QT_RECT_FRAME_PICTURE 226, 15, 66, 50
#define ZORVANE_QT_RECT_OPTIONS_GROUP 119, 71, 179, 44
#define ZORVANE_QT_RECT_LOOP 127, 84, 79, 10
#define ZORVANE_QT_RECT_DELAY_LABEL 127, 98, 41, 8
#define ZORVANE_QT_RECT_DELAY 169, 96, 37, 12
#define ZORVANE_QT_RECT_DELAY_UNIT 213, 98, 8, 8
#define ZORVANE_QT_RECT_MAKE_GIF 7, 124, 76, 24
#define ZORVANE_QT_TEXT_PREVIEW "Preview"
#define ZORVANE_QT_RECT_PREVIEW 86, 124, 50, 24
#define ZORVANE_QT_RECT_NOTICE 144, 132, 87, 16
#define ZORVANE_QT_RECT_WEB 239, 124, 26, 24
#define ZORVANE_QT_RECT_HELP 272, 124, 26, 24

// Key hints in the buttons' tooltips.
#define ZORVANE_QT_TIP_ADD_FRAMES "Add GIF files to the end of the list (Ctrl+O)"
#define ZORVANE_QT_TIP_FRAME_LIST "Drag an entry, or press Alt+Up or Alt+Down, to move it; Delete removes it"
#define ZORVANE_QT_TIP_MAKE_GIF "Save the animation (Ctrl+S)"
#define ZORVANE_QT_TIP_PREVIEW "Play the animation as it would be saved"

// The Add Frames window: GIF files shown first, any file selectable.
#define ZORVANE_QT_OPEN_TITLE "Add Frames"
#define ZORVANE_QT_ALL_FILES_FILTER_NAME "All Files (*)"

// The preview window.
#define ZORVANE_QT_PREVIEW_TITLE ZORVANE_QT_TEXT_PREVIEW
#define ZORVANE_QT_TEXT_PLAY_AGAIN "Play Again"
#define ZORVANE_QT_MSG_PREVIEW_FOLDER "Could not create a temporary folder for the preview."
#define ZORVANE_QT_MSG_PREVIEW_UNREADABLE "The preview could not be played."

#endif  // ZORVANE_RES_UI_TEXTS_H
