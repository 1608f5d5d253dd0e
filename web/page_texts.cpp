// Writes page-texts.js: the web page's texts and the version, from
// res/ui_texts.h and zorvane_version.h, as one object the page's scripts read
// (self.ZorvaneTexts). Run at build time: page_texts OUTPUT.
#include <cstdio>

#include "res/ui_texts.h"

namespace {

struct Text {
    const char* key;
    const char* text;
};

const Text kTexts[] = {
    {"product", ZORVANE_PRODUCT_NAME},
    {"version", ZORVANE_VERSION_TEXT},
    {"title", ZORVANE_WINDOW_TITLE},
    {"tagline", ZORVANE_WEB_TAGLINE},
    {"framesGroup", ZORVANE_TEXT_FRAMES_GROUP},
    {"dropHint", ZORVANE_WEB_DROP_HINT},
    {"addFiles", ZORVANE_WEB_ADD_FILES},
    {"emptyList", ZORVANE_WEB_EMPTY_LIST},
    {"listTip", ZORVANE_WEB_LIST_TIP},
    {"sortTip", ZORVANE_QT_TIP_SORT_BY_NAME},
    {"centerTip", ZORVANE_QT_TIP_CENTER},
    {"limitTip", ZORVANE_QT_TIP_LIMIT},
    {"removeFrame", ZORVANE_TEXT_REMOVE_FRAME},
    {"clearAll", ZORVANE_TEXT_CLEAR_ALL},
    {"sort", ZORVANE_WEB_SORT},
    {"removeMarked", ZORVANE_WEB_REMOVE_MARKED},
    {"select", ZORVANE_WEB_SELECT},
    {"selectAll", ZORVANE_WEB_SELECT_ALL},
    {"allFrames", ZORVANE_WEB_ALL_FRAMES},
    {"ownDelays", ZORVANE_WEB_OWN_DELAYS},
    {"delayLabel", ZORVANE_TEXT_DELAY_LABEL},
    {"delayUnit", ZORVANE_WEB_DELAY_UNIT},
    {"delayUnitShort", ZORVANE_TEXT_DELAY_UNIT},
    {"defaultDelay", ZORVANE_WEB_DEFAULT_DELAY},
    {"setDelay", ZORVANE_WEB_SET_DELAY},
    {"plays", ZORVANE_WEB_PLAYS},
    {"playsForever", ZORVANE_QT_TEXT_LOOP_FOREVER},
    {"playsTimes", ZORVANE_WEB_PLAYS_TIMES},
    {"order", ZORVANE_WEB_ORDER},
    {"orderForward", ZORVANE_QT_TEXT_ORDER_FORWARD},
    {"orderReverse", ZORVANE_QT_TEXT_ORDER_REVERSE},
    {"orderBounce", ZORVANE_QT_TEXT_ORDER_BOUNCE},
    {"center", ZORVANE_WEB_CENTER},
    {"optionsGroup", ZORVANE_TEXT_OPTIONS_GROUP},
    {"sizeLimit", ZORVANE_WEB_SIZE_LIMIT},
    {"limitNone", ZORVANE_QT_TEXT_LIMIT_NONE},
    {"limitCustom", ZORVANE_QT_TEXT_LIMIT_CUSTOM},
    {"limitUnit", ZORVANE_QT_TEXT_LIMIT_UNIT},
    {"duration", ZORVANE_WEB_DURATION},
    {"outputSize", ZORVANE_WEB_OUTPUT_SIZE},
    {"frames", ZORVANE_WEB_FRAMES},
    {"bytes", ZORVANE_WEB_BYTES},
    {"seconds", ZORVANE_WEB_SECONDS},
    {"overLimit", ZORVANE_WEB_OVER_LIMIT},
    {"delayHint", ZORVANE_WEB_DELAY_HINT},
    {"preview", ZORVANE_QT_TEXT_PREVIEW},
    {"previewTip", ZORVANE_QT_TIP_PREVIEW},
    {"fileName", ZORVANE_WEB_FILE_NAME},
    {"defaultName", ZORVANE_WEB_DEFAULT_NAME},
    {"download", ZORVANE_WEB_DOWNLOAD},
    {"help", ZORVANE_WEB_HELP},
    {"building", ZORVANE_WEB_BUILDING},
    {"checking", ZORVANE_WEB_CHECKING},
    {"loading", ZORVANE_WEB_LOADING},
    {"unusable", ZORVANE_WEB_UNUSABLE},
    {"msgMarked", ZORVANE_WEB_MSG_MARKED},
    {"msgNoFrames", ZORVANE_WEB_MSG_NO_FRAMES},
    {"msgEntry", ZORVANE_WEB_MSG_ENTRY},
    {"msgFailed", ZORVANE_WEB_MSG_FAILED},
    {"msgNoWorker", ZORVANE_WEB_MSG_NO_WORKER},
    {"msgUnreadable", ZORVANE_WEB_MSG_UNREADABLE},
    {"msgPlays", ZORVANE_WEB_MSG_PLAYS},
    {"msgIncomplete", ZORVANE_WEB_MSG_INCOMPLETE},
    {"result", ZORVANE_WEB_RESULT},
    {"imagesOne", ZORVANE_WEB_IMAGES_ONE},
    {"imagesMany", ZORVANE_WEB_IMAGES_MANY},
    {"homePage", ZORVANE_HOME_PAGE},
    {"smallest", ZORVANE_WEB_SMALLEST},
    {"smallestTip", ZORVANE_WEB_SMALLEST_TIP},
    {"fitLimit", ZORVANE_WEB_FIT_LIMIT},
    {"fitLimitTip", ZORVANE_WEB_FIT_LIMIT_TIP},
    {"measuring", ZORVANE_WEB_MEASURING},
    {"msgDelay", ZORVANE_WEB_MSG_DELAY},
    {"msgSaved", ZORVANE_WEB_MSG_SAVED},
    {"ownSum", ZORVANE_QT_ENTRY_OWN_DELAYS},
    {"writtenDuration", ZORVANE_WEB_WRITTEN_DURATION},
    {"undo", ZORVANE_WEB_UNDO},
    {"redo", ZORVANE_WEB_REDO},
    {"undoTip", ZORVANE_WEB_UNDO_TIP},
    {"redoTip", ZORVANE_WEB_REDO_TIP},
};

// A JavaScript string literal: quotes, backslashes and control characters
// escaped; other bytes (UTF-8) as they are.
void PutString(FILE* out, const char* text) {
    std::fputc('"', out);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            std::fprintf(out, "\\%c", *p);
        } else if (*p < 0x20) {
            std::fprintf(out, "\\u%04x", *p);
        } else {
            std::fputc(*p, out);
        }
    }
    std::fputc('"', out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_texts OUTPUT\n");
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "page_texts: could not create %s\n", argv[1]);
        return 1;
    }
    std::fputs("// Written at build time from res/ui_texts.h: edit the texts there.\n", out);
    std::fputs("self.ZorvaneTexts = Object.freeze({\n", out);
    for (const Text& text : kTexts) {
        std::fprintf(out, "  %s: ", text.key);
        PutString(out, text.text);
        std::fputs(",\n", out);
    }
    std::fputs("});\n", out);
    return std::fclose(out) == 0 ? 0 : 1;
}
