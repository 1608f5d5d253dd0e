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

// ---------------------------------------------------------------------------
// Web page only (web/). The page takes these, with the texts above that fit,
// through web/page_texts.cpp, which writes them into page-texts.js at build
// time. The help text of the page is in web/index.html.
#define ZORVANE_WEB_TAGLINE "Make one animated GIF from GIF files, in your browser. Nothing leaves this page."
#define ZORVANE_WEB_DROP_HINT "Drop GIF files anywhere on this page, or"
#define ZORVANE_WEB_ADD_FILES "Choose GIF files\u2026"
#define ZORVANE_WEB_EMPTY_LIST "No frames yet."
#define ZORVANE_WEB_SORT "Sort by name"
#define ZORVANE_WEB_REMOVE_MARKED "Remove unusable files"
#define ZORVANE_WEB_SELECT "Select"
#define ZORVANE_WEB_ALL_FRAMES "All frames"
#define ZORVANE_WEB_OWN_DELAYS "own"
#define ZORVANE_WEB_DELAY_UNIT "hundredths of a second"
#define ZORVANE_WEB_DEFAULT_DELAY "Delay of new frames:"
#define ZORVANE_WEB_SET_DELAY "Set delay of selected"
#define ZORVANE_WEB_SELECT_ALL "Select all"
#define ZORVANE_WEB_PLAYS "Plays:"
#define ZORVANE_WEB_PLAYS_FOREVER "Forever"
#define ZORVANE_WEB_PLAYS_TIMES "times"
#define ZORVANE_WEB_ORDER "Order:"
#define ZORVANE_WEB_ORDER_FORWARD "Forward"
#define ZORVANE_WEB_ORDER_REVERSE "Reverse"
#define ZORVANE_WEB_ORDER_BOUNCE "Bounce"
#define ZORVANE_WEB_CENTER "Center smaller frames"
#define ZORVANE_WEB_SIZE_LIMIT "Size limit:"
#define ZORVANE_WEB_LIMIT_NONE "None"
#define ZORVANE_WEB_LIMIT_CUSTOM "Custom"
#define ZORVANE_WEB_LIMIT_UNIT "MB"
#define ZORVANE_WEB_DURATION "Duration:"
#define ZORVANE_WEB_OUTPUT_SIZE "Output size:"
#define ZORVANE_WEB_FRAMES "Frames:"
#define ZORVANE_WEB_BYTES "bytes"
#define ZORVANE_WEB_SECONDS "s"
#define ZORVANE_WEB_OVER_LIMIT "Over the size limit."
#define ZORVANE_WEB_DELAY_HINT "Browsers play a delay of 0 or 1 as 10 hundredths of a second."
#define ZORVANE_WEB_FILE_NAME "File name:"
#define ZORVANE_WEB_DEFAULT_NAME "animation.gif"
#define ZORVANE_WEB_DOWNLOAD "Download"
#define ZORVANE_WEB_HELP "Help"
#define ZORVANE_WEB_BUILDING "Building\u2026"
#define ZORVANE_WEB_CHECKING "Checking\u2026"
#define ZORVANE_WEB_LOADING "Starting\u2026"
#define ZORVANE_WEB_UNUSABLE "This file cannot be used:"
#define ZORVANE_WEB_MSG_MARKED "These files cannot be used; remove them first:"
#define ZORVANE_WEB_MSG_NO_FRAMES "Add GIF files first."
#define ZORVANE_WEB_MSG_ENTRY "Entry %1 (%2):"
#define ZORVANE_WEB_MSG_FAILED "The page could not run: %1"
#define ZORVANE_WEB_MSG_NO_WORKER "this browser could not start the page's worker."
#define ZORVANE_WEB_MSG_EMPTY "The file is empty."
#define ZORVANE_WEB_MSG_UNREADABLE "The browser could not read this file."
#define ZORVANE_WEB_MSG_PLAYS "Plays must be a whole number from 1 to 65536."
#define ZORVANE_WEB_MSG_INCOMPLETE "The animation came out incomplete, so there is nothing to download."
#define ZORVANE_WEB_RESULT "Result"
#define ZORVANE_WEB_IMAGES_ONE "1 image"
#define ZORVANE_WEB_IMAGES_MANY "%1 images"

#endif  // ZORVANE_RES_UI_TEXTS_H
