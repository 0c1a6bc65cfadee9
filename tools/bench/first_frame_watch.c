/* Times a capture's first frame from outside, as a user sees it: presses a key
 * combination through XTest, then reports when a window as large as the
 * screen is mapped and when a pixel of the root window shows the overlay, in
 * milliseconds after the key press:
 *   first_frame_watch --key ctrl+alt+a --at X,Y [--wait dimmed|darker|changed] [--dim PERCENT] [--timeout MS]
 *   mapped 71.4
 *   dimmed 98.0
 * "dimmed": each channel within 2 of before × (255 − α) / 255, α = PERCENT × 255 / 100
 * (45 unless given); "darker": each channel at least 8 below what it was (for a
 * program whose dimming is not known); "changed": any other value (for the
 * overlay going away). A figure not seen within the time limit prints as "-".
 *
 * The second use samples a process's resident anonymous memory (its private
 * working set under Wine) every few milliseconds until a file appears, and
 * prints the first and the largest sample in bytes:
 *   first_frame_watch --sample PID --until-file PATH
 *   private-first 41234432
 *   private-peak 152342528 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void sleep_ms(double ms) {
    struct timespec t = {0, (long)(ms * 1e6)};
    nanosleep(&t, NULL);
}

/* The process's resident anonymous bytes, -1 when they cannot be read. */
static long long private_bytes(long pid) {
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%ld/status", pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    long long kib = -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "RssAnon: %lld", &kib) == 1) break;
    fclose(f);
    return kib < 0 ? -1 : kib * 1024;
}

static unsigned long root_pixel(Display* d, Window root, int x, int y) {
    XImage* image = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
}

static int near(int got, int want) { return got - want <= 2 && want - got <= 2; }

enum Wait { DIMMED, DARKER, CHANGED };

/* `now` shows what is awaited over `before`; alpha (of 255) for DIMMED. */
static int arrived(enum Wait wait, unsigned long before, unsigned long now, int alpha) {
    if (wait == CHANGED) return now != before;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int b = (int)(before >> shift & 255), n = (int)(now >> shift & 255);
        if (wait == DIMMED ? !near(n, b * (255 - alpha) / 255) : n > b - 8) return 0;
    }
    return 1;
}

static int sample(long pid, const char* until_file) {
    const long long first = private_bytes(pid);
    long long peak = first;
    for (FILE* f; !(f = fopen(until_file, "r"));) {
        const long long bytes = private_bytes(pid);
        if (bytes > peak) peak = bytes;
        sleep_ms(2);
    }
    printf("private-first %lld\nprivate-peak %lld\n", first, peak);
    return first < 0;
}

/* Presses or releases every key of a combination such as ctrl+alt+a. */
static int fake_combination(Display* d, const char* combination, Bool press) {
    char copy[128];
    snprintf(copy, sizeof copy, "%s", combination);
    KeyCode codes[8];
    int count = 0;
    for (char* part = strtok(copy, "+"); part && count < 8; part = strtok(NULL, "+")) {
        const char* name = part;
        if (!strcmp(part, "ctrl")) name = "Control_L";
        else if (!strcmp(part, "alt")) name = "Alt_L";
        else if (!strcmp(part, "shift")) name = "Shift_L";
        const KeySym sym = XStringToKeysym(name);
        if (sym == NoSymbol || !(codes[count] = XKeysymToKeycode(d, sym))) {
            fprintf(stderr, "first_frame_watch: unknown key '%s'\n", part);
            return 0;
        }
        ++count;
    }
    for (int i = 0; i < count; ++i) XTestFakeKeyEvent(d, codes[press ? i : count - 1 - i], press, 0);
    XFlush(d);
    return 1;
}

static void print_figure(const char* name, double value) {
    if (value < 0) printf("%s -\n", name);
    else printf("%s %.1f\n", name, value);
}

int main(int argc, char** argv) {
    const char *key = NULL, *until_file = NULL;
    int x = -1, y = -1, percent = 45;
    double timeout = 5000;
    long pid = 0;
    enum Wait wait = DIMMED;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--key")) key = argv[i + 1];
        else if (!strcmp(argv[i], "--at")) sscanf(argv[i + 1], "%d,%d", &x, &y);
        else if (!strcmp(argv[i], "--wait")) wait = !strcmp(argv[i + 1], "changed") ? CHANGED : !strcmp(argv[i + 1], "darker") ? DARKER : DIMMED;
        else if (!strcmp(argv[i], "--dim")) percent = atoi(argv[i + 1]);
        else if (!strcmp(argv[i], "--timeout")) timeout = atof(argv[i + 1]);
        else if (!strcmp(argv[i], "--sample")) pid = atol(argv[i + 1]);
        else if (!strcmp(argv[i], "--until-file")) until_file = argv[i + 1];
    }
    if (pid && until_file) return sample(pid, until_file);
    if (!key || x < 0 || y < 0) {
        fprintf(stderr, "usage: first_frame_watch --key COMBINATION --at X,Y [--wait dimmed|darker|changed] [--dim PERCENT] [--timeout MS]\n"
                        "       first_frame_watch --sample PID --until-file PATH\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "first_frame_watch: no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(d);
    const int screen_w = DisplayWidth(d, DefaultScreen(d)), screen_h = DisplayHeight(d, DefaultScreen(d));
    XSelectInput(d, root, SubstructureNotifyMask);
    const unsigned long before = root_pixel(d, root, x, y);
    const int alpha = (percent > 100 ? 100 : percent) * 255 / 100;

    if (!fake_combination(d, key, True)) return 2;
    const double pressed = now_ms();
    fake_combination(d, key, False);

    double mapped = -1, shown = -1;
    for (;;) {
        const double t = now_ms() - pressed;
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != MapNotify || mapped >= 0) continue;
            XWindowAttributes a;
            if (XGetWindowAttributes(d, e.xmap.window, &a) && a.width >= screen_w && a.height >= screen_h) mapped = t;
        }
        if (arrived(wait, before, root_pixel(d, root, x, y), alpha)) {
            shown = now_ms() - pressed;
            break;
        }
        if (t >= timeout) break;
        /* Light polling: the program being timed shares the machine's cores. */
        sleep_ms(0.5);
    }
    print_figure("mapped", mapped);
    print_figure(wait == DIMMED ? "dimmed" : wait == DARKER ? "darker" : "changed", shown);
    XCloseDisplay(d);
    return shown >= 0 ? 0 : 1;
}
