// What the user reads in the main window, and where its controls stand: the
// texts, the Windows dialog's layout in dialog units and the messages of the
// window's own buttons. The resource script (res/zorvane.rc), the Windows
// dialog (win/) and the Linux window (qt/) all take them from here.
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
// below. The Linux window is laid out by Qt's layouts, so it grows with its
// texts, fonts and the screen's scale; it is an editor of the animation: the
// frame list gains tools for adding, ordering and undoing, each entry its own
// delay, the options how often and in which order it plays, and a status line
// tells what will be written.
#define ZORVANE_QT_TEXT_ADD_FRAMES "Add Frames\u2026"
#define ZORVANE_QT_TEXT_SORT_BY_NAME "Sort by &Name"
#define ZORVANE_QT_TEXT_UNDO "&Undo"
#define ZORVANE_QT_TEXT_REDO "&Redo"
#define ZORVANE_QT_TEXT_PREVIEW "Preview"
// Labels carry the letter that, with Alt, moves to their field.
#define ZORVANE_QT_TEXT_DELAY_LABEL "Frame &delay:"
#define ZORVANE_QT_TEXT_SET_DELAY "Set Selected"
#define ZORVANE_QT_TEXT_SET_ALL_DELAYS "Set All"
#define ZORVANE_QT_TEXT_SCALE_LABEL "S&cale all delays:"
#define ZORVANE_QT_TEXT_SCALE_UNIT "%"
#define ZORVANE_QT_TEXT_SCALE "Scale"
#define ZORVANE_QT_TEXT_LOOP_LABEL "&Loop animation:"
#define ZORVANE_QT_TEXT_LOOP_FOREVER "Forever"
#define ZORVANE_QT_TEXT_LOOP_TIMES "A number of times"
#define ZORVANE_QT_TEXT_PLAYS_ONCE "plays once, then stays on its last frame"
// %1: the number of plays, 2 or more.
#define ZORVANE_QT_TEXT_PLAYS_TIMES "plays %1 times, then stays on its last frame"
#define ZORVANE_QT_TEXT_PLAYS_FOREVER "plays again and again, without end"
#define ZORVANE_QT_TEXT_ORDER_LABEL "Play &order:"
#define ZORVANE_QT_TEXT_ORDER_FORWARD "Forward"
#define ZORVANE_QT_TEXT_ORDER_REVERSE "Reverse"
#define ZORVANE_QT_TEXT_ORDER_BOUNCE "Bounce (forward, then back)"
#define ZORVANE_QT_TEXT_CENTER "C&enter smaller frames"
#define ZORVANE_QT_TEXT_LIMIT_LABEL "Si&ze limit:"
#define ZORVANE_QT_TEXT_LIMIT_NONE "None"
#define ZORVANE_QT_TEXT_LIMIT_CUSTOM "Custom"
#define ZORVANE_QT_TEXT_LIMIT_UNIT "MB"
#define ZORVANE_QT_TEXT_NEW_DELAY_LABEL "Ne&w frames get:"
#define ZORVANE_QT_TEXT_SMALLEST "S&mallest file (same pixels)"
#define ZORVANE_QT_TEXT_FIT_LIMIT "&Fit the size limit"
#define ZORVANE_QT_TEXT_REMOVE_UNUSABLE "Remove Unusable Files"
#define ZORVANE_QT_TEXT_IMAGES_LABEL "Images:"
#define ZORVANE_QT_TEXT_DELAY_HINT "Browsers play 0 and 1 as 10 cs"

// The list's context menu.
#define ZORVANE_QT_TEXT_FIRST_IMAGE_ONLY "First Image Only"
#define ZORVANE_QT_TEXT_OWN_DELAYS "Keep Own Delays"
#define ZORVANE_QT_TEXT_SET_DELAY_MENU "Set Delay of Selected"

// How an entry reads in the list: its parts. %1: a number of images, a
// delay or a duration ("1.20 s").
#define ZORVANE_QT_ENTRY_IMAGES "%1 images"
#define ZORVANE_QT_ENTRY_FIRST_OF "first of %1 images"
#define ZORVANE_QT_ENTRY_OWN_DELAYS "own delays, %1"
#define ZORVANE_QT_ENTRY_OWN_DELAY "own delay, %1 cs"
#define ZORVANE_QT_ENTRY_DELAY "%1 cs"
#define ZORVANE_QT_ENTRY_DELAY_EACH "%1 cs each"
#define ZORVANE_QT_ENTRY_PLAYS_AS_10 "plays as 10 cs"
#define ZORVANE_QT_ENTRY_SEPARATOR " \u00b7 "
// The info panel's line of images. %1: their number; %2: their duration.
#define ZORVANE_QT_INFO_IMAGES "%1, %2"

// The status line. %1 the frames ("12 frames", with those added to clear
// the canvas), %2 the duration as browsers play it, %3 x %4 screen, %5 bytes.
#define ZORVANE_QT_STATUS_SUMMARY "%1 \u00b7 %2 \u00b7 %3 x %4 \u00b7 %5 bytes"
// The same while the size is still being worked out.
#define ZORVANE_QT_STATUS_MEASURING "%1 \u00b7 %2 \u00b7 %3 x %4 \u00b7 Measuring\u2026"
// The status line's tooltip. %1: the duration as written.
#define ZORVANE_QT_TIP_DURATION "Written: %1 (browsers play a delay of 0 or 1 as 10 cs)"
// Before a failure, when files in the list cannot be used. %1: how many.
#define ZORVANE_QT_STATUS_UNUSABLE "%1 unusable files \u00b7 "
#define ZORVANE_QT_STATUS_ONE_UNUSABLE "1 unusable file \u00b7 "
#define ZORVANE_QT_STATUS_EMPTY "No frames yet"
// %1: the limit ("5 MB").
#define ZORVANE_QT_STATUS_OVER_LIMIT " \u2014 over the %1 limit"
// %1: the path written; %2: its size in bytes.
#define ZORVANE_QT_STATUS_SAVED "Saved %1 (%2 bytes)"
// A failure about one entry. %1: its file name; %2: its place; %3: the
// number of entries; %4: the message.
#define ZORVANE_QT_MSG_ENTRY_FAILED "%1 (entry %2 of %3): %4"

// Tooltips, with the keys that do the same.
#define ZORVANE_QT_TIP_ADD_FRAMES "Add GIF files to the end of the list (Ctrl+O)"
#define ZORVANE_QT_TIP_FRAME_LIST                                                                    \
    "Drag entries, or press Alt+Up or Alt+Down, to move them; Delete removes them; right-click for " \
    "more"
#define ZORVANE_QT_TIP_REMOVE_FRAME "Remove the selected entries (Delete)"
#define ZORVANE_QT_TIP_CLEAR_ALL "Empty the list (Undo brings it back)"
#define ZORVANE_QT_TIP_SORT_BY_NAME "Sort the list by file name, numbers by their value: frame2 before frame10"
#define ZORVANE_QT_TIP_UNDO "Undo the last change to the list or its settings (Ctrl+Z)"
#define ZORVANE_QT_TIP_REDO "Redo what was undone (Ctrl+Shift+Z)"
#define ZORVANE_QT_TIP_DELAY                                                                         \
    "Delay in hundredths of a second (cs), 0 to 65535; 100 is one second. Enter gives it to the " \
    "selected entries"
#define ZORVANE_QT_TIP_NEW_DELAY \
    "Delay in hundredths of a second (cs) that frames added from now on get; animations keep their own"
#define ZORVANE_QT_TIP_SMALLEST \
    "Write every frame again in as few bytes as possible; every pixel and delay stays the same"
#define ZORVANE_QT_TIP_FIT_LIMIT \
    "Stay within the size limit: written smallest and, when that is not enough, frames dropped evenly"
#define ZORVANE_QT_TIP_REMOVE_UNUSABLE "Remove every file of the list that cannot be used (marked)"
#define ZORVANE_QT_TIP_SET_DELAY "Give the selected entries this delay (Enter in the delay field)"
#define ZORVANE_QT_TIP_SET_ALL_DELAYS "Give every entry this delay, animated ones too"
#define ZORVANE_QT_TIP_SCALE "Percent of the delays now given; entries that keep their own delays are not changed"
#define ZORVANE_QT_TIP_LOOP "Whether the animation repeats without end or plays a number of times"
#define ZORVANE_QT_TIP_PLAYS "How many times the animation plays, 1 to 65536"
#define ZORVANE_QT_TIP_ORDER \
    "Reverse plays the frames backwards, Bounce forwards and then back (the two ends are not repeated)"
#define ZORVANE_QT_TIP_CENTER "Place each frame smaller than the animation in its middle"
#define ZORVANE_QT_TIP_LIMIT "Show the size in red when the file would be larger (1 MB is 1,000,000 bytes)"
#define ZORVANE_QT_TIP_MAKE_GIF "Save the animation (Ctrl+S)"
#define ZORVANE_QT_TIP_PREVIEW "Play the animation as it would be saved"
#define ZORVANE_QT_TIP_WEB "Open the Zorvane home page"
#define ZORVANE_QT_TIP_HELP "Open the help page (F1)"

// The Add Frames window: GIF files shown first, any file selectable.
#define ZORVANE_QT_OPEN_TITLE "Add Frames"
#define ZORVANE_QT_ALL_FILES_FILTER_NAME "All Files (*)"

// The preview window. %1: the frame shown; %2: their number.
#define ZORVANE_QT_PREVIEW_TITLE ZORVANE_QT_TEXT_PREVIEW
#define ZORVANE_QT_TEXT_PLAY_AGAIN "Play Again"
#define ZORVANE_QT_PREVIEW_FRAME "frame %1 of %2"
#define ZORVANE_QT_MSG_PREVIEW_FOLDER "Could not create a temporary folder for the preview."
#define ZORVANE_QT_MSG_PREVIEW_UNREADABLE "The preview could not be played."

// The names of the steps Undo and Redo take back and do again.
#define ZORVANE_QT_UNDO_ADD "Add Frames"
#define ZORVANE_QT_UNDO_REMOVE "Remove Frame"
#define ZORVANE_QT_UNDO_CLEAR "Clear All"
#define ZORVANE_QT_UNDO_REMOVE_UNUSABLE ZORVANE_QT_TEXT_REMOVE_UNUSABLE
#define ZORVANE_QT_UNDO_MOVE "Move"
#define ZORVANE_QT_UNDO_SORT "Sort by Name"
#define ZORVANE_QT_UNDO_DELAY "Set Delay"
#define ZORVANE_QT_UNDO_SCALE "Scale Delays"
#define ZORVANE_QT_UNDO_OWN_DELAYS ZORVANE_QT_TEXT_OWN_DELAYS
#define ZORVANE_QT_UNDO_IMAGES "Images Taken"
#define ZORVANE_QT_UNDO_OPTIONS "Options"

// ---------------------------------------------------------------------------
// Web page only (web/). The page takes these, with the texts above that fit
// (the Linux window's options among them), through web/page_texts.cpp, which writes them into page-texts.js at build
// time. The help text of the page is in web/index.html.
#define ZORVANE_WEB_TAGLINE "Make one animated GIF from GIF files, in your browser. Nothing leaves this page."
#define ZORVANE_WEB_DROP_HINT "Drop GIF files anywhere on this page, or"
#define ZORVANE_WEB_ADD_FILES "Choose GIF files\u2026"
#define ZORVANE_WEB_EMPTY_LIST "No frames yet."
#define ZORVANE_WEB_LIST_TIP "Drag an entry, or press Alt+Up or Alt+Down, to move it; Delete removes it"
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
#define ZORVANE_WEB_PLAYS_TIMES "times"
#define ZORVANE_WEB_ORDER "Order:"
#define ZORVANE_WEB_CENTER "Center smaller frames"
#define ZORVANE_WEB_SIZE_LIMIT "Size limit:"
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
#define ZORVANE_WEB_MSG_UNREADABLE "The browser could not read this file."
#define ZORVANE_WEB_MSG_PLAYS "Plays must be a whole number from 1 to 65536."
#define ZORVANE_WEB_MSG_INCOMPLETE "The animation came out incomplete, so there is nothing to download."
#define ZORVANE_WEB_RESULT "Result"
#define ZORVANE_WEB_IMAGES_ONE "1 image"
#define ZORVANE_WEB_IMAGES_MANY "%1 images"
#define ZORVANE_WEB_SMALLEST "Smallest file (same pixels)"
#define ZORVANE_WEB_SMALLEST_TIP \
    "Writes every frame again in as few bytes as it can, every pixel and delay the same; builds take longer"
#define ZORVANE_WEB_FIT_LIMIT "Fit the size limit"
#define ZORVANE_WEB_FIT_LIMIT_TIP \
    "Leaves out frames evenly, each one's time going to the frame before, until the file fits"
#define ZORVANE_WEB_MEASURING "Measuring\u2026"
#define ZORVANE_WEB_MSG_DELAY                                                                                          \
    "A delay is a whole number of hundredths of a second from 0 to 65535 (empty: the file's own); \u201c%1\u201d was " \
    "not taken."
#define ZORVANE_WEB_MSG_SAVED "Saved %1, %2 bytes"
#define ZORVANE_WEB_WRITTEN_DURATION "Written as %1; browsers play a delay of 0 or 1 as 10 hundredths."
#define ZORVANE_WEB_UNDO "Undo"
#define ZORVANE_WEB_REDO "Redo"
#define ZORVANE_WEB_UNDO_TIP "Undo the last change to the list or its settings (Ctrl+Z)"
#define ZORVANE_WEB_REDO_TIP "Redo what was undone (Ctrl+Shift+Z)"

#endif  // ZORVANE_RES_UI_TEXTS_H
