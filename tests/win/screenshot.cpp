// Screenshot of the real window for the documentation: three frames dropped,
// the second selected, delay 10. Written as a 24-bit BMP.
#include <windows.h>

#include <cstdio>

#include "res/resource.h"
#include "tests/win/harness.h"

void ShowDocumentedState(HWND dialog) {
    DropFiles(dialog, {CorpusPath("all-reds.gif"), CorpusPath("high-color.gif"), CorpusPath("all-blues.gif")});
    ClickListEntry(dialog, 1);
    TypeText(dialog, IDC_DELAY, "10");
    SetFocus(GetDlgItem(dialog, IDC_FRAME_LIST));
}

bool TakeScreenshot(const char* bmp_path) {
    HWND dialog = OpenDialog();
    if (!dialog) return false;
    ShowDocumentedState(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 20; ++i) {
        PumpMessages();
        Sleep(25);
    }
    RECT window;
    GetWindowRect(dialog, &window);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = window.right - window.left;
    header.biHeight = window.bottom - window.top;  // bottom-up, as a BMP file stores it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = ((static_cast<DWORD>(header.biWidth) * 3 + 3) / 4) * 4 * static_cast<DWORD>(header.biHeight);
    HDC screen = GetWindowDC(dialog);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);

    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;  // "BM"
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = file_header.bfOffBits + header.biSizeImage;
    FILE* file = std::fopen(bmp_path, "wb");
    const bool written = file && std::fwrite(&file_header, sizeof file_header, 1, file) == 1 &&
                         std::fwrite(&header, sizeof header, 1, file) == 1 &&
                         std::fwrite(bits, 1, header.biSizeImage, file) == header.biSizeImage;
    if (file) std::fclose(file);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(dialog, screen);
    CloseDialog(dialog);
    std::printf("screenshot %ldx%ld %s\n", static_cast<long>(header.biWidth), static_cast<long>(header.biHeight),
                written ? "written" : "NOT written");
    return written;
}
