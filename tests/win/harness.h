// In-process harness for the main dialog under Wine: creates the real IDD_MAIN
// with the real MainDialogProc, sends it real messages, answers its modal
// windows from a watcher thread and answers the dialog's ShellExecuteA calls itself.
#ifndef ZORVANE_TESTS_WIN_HARNESS_H
#define ZORVANE_TESTS_WIN_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

struct TestRegistration {
    TestRegistration(const char* name, void (*run)());
};
#define DIALOG_TEST(name)                                      \
    static void name();                                        \
    static TestRegistration name##_registration(#name, &name); \
    static void name()

void RecordFailure(int line, const std::string& what);
#define EXPECT_TRUE(cond) ((cond) ? (void)0 : RecordFailure(__LINE__, "expected true: " #cond))
#define EXPECT_EQ(actual, expected)                                                       \
    do {                                                                                  \
        if (!((actual) == (expected))) RecordFailure(__LINE__, #actual " != " #expected); \
    } while (0)

std::string WorkPath(const std::string& name);          // in the folder the tests may write into
std::string CorpusPath(const std::string& name);        // in the public GIF corpus
std::string HostPath(const std::string& windows_path);  // Z:\x\y -> /x/y
std::vector<unsigned char> ReadBytes(const std::string& path);
std::string WriteBytes(const std::string& name, const std::vector<unsigned char>& bytes);  // returns the path
bool FileExists(const std::string& path);

HWND OpenDialog();
// Closes the dialog as the close box does and destroys it; true when a quit
// message with code 0 was posted.
bool CloseDialog(HWND dialog);
void DropFiles(HWND dialog, const std::vector<std::string>& paths);
void Click(HWND dialog, int id);
void ClickListEntry(HWND dialog, int index);                  // with the mouse
void TypeText(HWND dialog, int id, const std::string& text);  // replaces the text, key by key
bool PumpMessages();                                          // true when a quit message with code 0 was among them
std::string ControlText(HWND dialog, int id);
int ListCount(HWND dialog);
std::string ListText(HWND dialog, int index);
std::string ListPath(HWND dialog, int index);
int LiveHeapBlocks();  // allocations alive on the frame list's heap

struct ModalEvent {
    bool save_as;  // a Save As dialog, else a message box
    HWND owner;
    std::string caption;
    std::string text;  // message text; for Save As: the file type shown
    bool any_icon, warning_icon;
};
// What the watcher types into Save As: a full path, or "" to cancel. Message
// boxes are answered OK (Yes for a question).
void SetSaveAsReply(const std::string& path);
void ClearModalEvents();
std::vector<ModalEvent> ModalEvents();

struct ShellCall {
    HWND owner;
    bool extra_arguments;  // verb, parameters or directory given
    std::string file;
    int show;
};
void SetShellFails(bool fails);  // else every call succeeds
std::vector<ShellCall> TakeShellCalls();

#endif  // ZORVANE_TESTS_WIN_HARNESS_H
