/*
 * Presses a key with xdotool and times how long a process takes to end.
 *
 *   key_to_exit PID [TIMEOUT_SECONDS]
 *
 * Prints "spawn T0 key TK returned T1 exit T2" (CLOCK_REALTIME seconds):
 * T0 just before xdotool is started, TK when the X server's raw key press
 * event reached us, T1 when xdotool had ended, T2 when PID had ended.
 * xdotool needs a few milliseconds to connect and look the key up before it
 * sends anything, so T2-T0 overstates the time the saver takes; the raw event
 * (XInput 2, delivered to every client that asks, whoever has the focus) marks
 * the press itself, so T2-TK is the figure. Both processes' ends are seen
 * through pidfds, which work for a process that is not our child and fire
 * when it exits, before anyone reaps it. Exits 1 if PID is still there after
 * the timeout; "key none" if no press was seen.
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif

extern char **environ;

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (double)ts.tv_sec + ts.tv_nsec / 1e9;
}

/* Listens for raw key presses on the whole display; -1 without XInput 2. */
static int listen_keys(Display *dpy) {
    int opcode, event, error, major = 2, minor = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &opcode, &event, &error)) return -1;
    if (XIQueryVersion(dpy, &major, &minor) != Success) return -1;
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {0};
    XISetMask(mask, XI_RawKeyPress);
    XIEventMask events = {XIAllMasterDevices, sizeof mask, mask};
    XISelectEvents(dpy, DefaultRootWindow(dpy), &events, 1);
    XSync(dpy, False);
    return opcode;
}

static int key_pressed(Display *dpy, int opcode) {
    int seen = 0;
    while (XPending(dpy)) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.xcookie.type == GenericEvent && ev.xcookie.extension == opcode &&
            ev.xcookie.evtype == XI_RawKeyPress)
            seen = 1;
    }
    return seen;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s PID [TIMEOUT_SECONDS]\n", argv[0]);
        return 2;
    }
    pid_t pid = (pid_t)atoi(argv[1]);
    double timeout = argc > 2 ? atof(argv[2]) : 10;
    int fd = (int)syscall(SYS_pidfd_open, pid, 0);
    if (fd < 0) {
        perror("pidfd_open");
        return 2;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        fprintf(stderr, "key_to_exit: cannot open display\n");
        return 2;
    }
    int opcode = listen_keys(dpy);

    char *args[] = {"xdotool", "key", "space", NULL};
    double t0 = now();
    pid_t xdotool;
    if (posix_spawnp(&xdotool, "xdotool", NULL, NULL, args, environ) != 0) {
        perror("xdotool");
        return 2;
    }
    /* All three watched together: the saver may well end before xdotool has. */
    int xfd = (int)syscall(SYS_pidfd_open, xdotool, 0);
    double tk = 0, t1 = 0, t2 = 0;
    int status;
    if (xfd < 0) {
        waitpid(xdotool, &status, 0);
        t1 = now();
    }
    while (t1 == 0 || t2 == 0 || (tk == 0 && opcode >= 0)) {
        /* A negative fd is skipped by poll: each end is taken once. */
        struct pollfd p[3] = {
            {t2 == 0 ? fd : -1, POLLIN, 0},
            {t1 == 0 ? xfd : -1, POLLIN, 0},
            {tk == 0 && opcode >= 0 ? ConnectionNumber(dpy) : -1, POLLIN, 0},
        };
        int left = (int)((t0 + timeout - now()) * 1000);
        if (left <= 0 || poll(p, 3, left) <= 0) break;
        double t = now();
        if (t2 == 0 && p[0].revents) t2 = t;
        if (t1 == 0 && p[1].revents) t1 = t;
        if (tk == 0 && p[2].revents && key_pressed(dpy, opcode)) tk = t;
    }
    waitpid(xdotool, &status, 0);
    if (t1 == 0) t1 = now();
    char key[32] = "none";
    if (tk != 0) snprintf(key, sizeof key, "%.6f", tk);
    if (t2 == 0) {
        printf("spawn %.6f key %s returned %.6f exit none\n", t0, key, t1);
        return 1;
    }
    printf("spawn %.6f key %s returned %.6f exit %.6f\n", t0, key, t1, t2);
    return 0;
}
