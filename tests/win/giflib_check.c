/* Decodes animations with giflib and compares them with the first image of
 * each input: count, descriptors, pixels, colour tables, delay, disposal,
 * transparency, looping block, screen size.
 *
 *   giflib_check LIST
 *
 * Each line of LIST: output path, delay, loop flag (0/1), then the input
 * paths, separated by tabs. Exit status 0 when every output checks out.
 * Built with GIFLIB_CHECK_NO_MAIN, it offers giflib_check_list() instead. */
#include <gif_lib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_INPUTS 64
#define DISPOSE_BACKGROUND 2
#define APPLICATION_ID_LENGTH 11

static int failures = 0;

static void fail(const char *output, const char *what, int frame) {
    fprintf(stderr, "giflib check: %s: %s (frame %d)\n", output, what, frame);
    failures++;
}

static GifFileType *slurp(const char *path) {
    int error = 0;
    GifFileType *gif = DGifOpenFileName(path, &error);
    if (gif && DGifSlurp(gif) == GIF_OK) return gif;
    fprintf(stderr, "giflib check: cannot decode %s\n", path);
    if (gif) DGifCloseFile(gif, &error);
    failures++;
    return NULL;
}

static int has_looping_block(const SavedImage *image) {
    for (int i = 0; i < image->ExtensionBlockCount; i++) {
        const ExtensionBlock *block = &image->ExtensionBlocks[i];
        if (block->Function == APPLICATION_EXT_FUNC_CODE && block->ByteCount == APPLICATION_ID_LENGTH &&
            memcmp(block->Bytes, "NETSCAPE2.0", APPLICATION_ID_LENGTH) == 0)
            return 1;
    }
    return 0;
}

static void check_line(char *line) {
    char *fields[MAX_INPUTS + 3];
    int count = 0;
    for (char *field = strtok(line, "\t\r\n"); field && count < MAX_INPUTS + 3; field = strtok(NULL, "\t\r\n"))
        fields[count++] = field;
    if (count < 3) return;
    const char *output = fields[0];
    const int delay = atoi(fields[1]), loop = atoi(fields[2]), inputs = count - 3;
    GifFileType *out = slurp(output);
    if (!out) return;
    if (out->ImageCount != inputs) fail(output, "number of images differs from the number of frames", -1);
    if (out->SColorMap || out->SBackGroundColor != 0 || out->AspectByte != 0)
        fail(output, "global colour table, background or aspect", -1);
    if (out->ImageCount > 0 && has_looping_block(&out->SavedImages[0]) != loop)
        fail(output, "looping block present/absent against the loop flag", 0);

    int max_width = 0, max_height = 0, error;
    for (int i = 0; i < inputs && i < out->ImageCount; i++) {
        GifFileType *in = slurp(fields[3 + i]);
        if (!in) continue;
        if (in->SWidth > max_width) max_width = in->SWidth;
        if (in->SHeight > max_height) max_height = in->SHeight;
        const SavedImage *want = &in->SavedImages[0], *got = &out->SavedImages[i];
        const GifImageDesc *w = &want->ImageDesc, *g = &got->ImageDesc;
        if (w->Left != g->Left || w->Top != g->Top || w->Width != g->Width || w->Height != g->Height ||
            w->Interlace != g->Interlace)
            fail(output, "image descriptor differs from the input's first image", i);
        else if (memcmp(want->RasterBits, got->RasterBits, (size_t)w->Width * (size_t)w->Height) != 0)
            fail(output, "pixels differ from the input's first image", i);
        const ColorMapObject *colours = w->ColorMap ? w->ColorMap : in->SColorMap;
        if (colours &&
            (!g->ColorMap || g->ColorMap->ColorCount != colours->ColorCount ||
             memcmp(colours->Colors, g->ColorMap->Colors, (size_t)colours->ColorCount * sizeof(GifColorType)) != 0))
            fail(output, "colour table differs from the input's", i);
        GraphicsControlBlock got_gcb, want_gcb;
        want_gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(in, 0, &want_gcb);
        if (DGifSavedExtensionToGCB(out, i, &got_gcb) != GIF_OK)
            fail(output, "no graphic control extension", i);
        else if (got_gcb.DelayTime != delay || got_gcb.DisposalMode != DISPOSE_BACKGROUND ||
                 got_gcb.TransparentColor != want_gcb.TransparentColor)
            fail(output, "delay, disposal or transparency differs", i);
        DGifCloseFile(in, &error);
    }
    if (out->SWidth != max_width || out->SHeight != max_height) fail(output, "screen is not the largest input's", -1);
    printf("giflib check: %s: %d images%s\n", output, out->ImageCount, failures ? "" : " ok");
    DGifCloseFile(out, &error);
}

/* Checks every line of the list; returns the number of failures (1 when the
 * list is missing or empty). */
int giflib_check_list(const char *path) {
    FILE *list = fopen(path, "r");
    if (!list) return 1;
    static char line[65536];
    int lines = 0;
    failures = 0;
    while (fgets(line, sizeof line, list)) {
        check_line(line);
        lines++;
    }
    fclose(list);
    return lines == 0 ? 1 : failures;
}

#ifndef GIFLIB_CHECK_NO_MAIN
int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: giflib_check LIST\n");
        return 2;
    }
    const int result = giflib_check_list(argv[1]);
    if (result) fprintf(stderr, "giflib check: %d failures\n", result);
    return result ? 1 : 0;
}
#endif
