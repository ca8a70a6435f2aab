/*
 * Counts the frames the saver presents, by watching the X window its GL child
 * renders into.
 *
 *   frame_watch [--size N] [--timeout SECONDS] [--verbose]
 *
 * Wine renders an OpenGL child window into an X window of its own, parked
 * under a 1x1 parent at (-1,-1) and redirected with XComposite, so nothing of
 * it reaches the root window. Every SwapBuffers ends in one put of the whole
 * back buffer into that X window; the server reports each such rendering
 * operation through the DAMAGE extension. With the raw-rectangles level the
 * server sends one report per rendering operation (its rectangles, the last
 * without the "more" flag), so a report whose rectangles cover the whole
 * window is one presented frame. Anything smaller is counted apart, so that a
 * partial paint can never pass for a frame. Checked against the saver: about
 * 30 reports a second, as its 33 ms timer asks, every one whole-window and
 * each with new pixels.
 *
 * It must run before the saver starts: it watches the root for the 1x1
 * parents and those for a square child (of side N when given), and attaches
 * to it the moment it appears. Wine creates the window just before it first
 * draws, so whether a frame slipped by before the attach needs checking. The
 * attach is done under a server grab and the window's pixels are read in the
 * same grab: all zero means nothing had been presented yet. They need not be
 * zero even so: the server does not clear a new window's pixmap, and a start
 * soon after another of the same size shows the last one's leftovers. So the
 * first frame seen is also hashed: the saver's first frame has been the same
 * picture at every start, so a start whose first frame hashes like that of a
 * start that was blank at attach has missed nothing either. Any other start
 * only bounds its first frame from above.
 *
 * Output, one line each, times as CLOCK_REALTIME seconds (bash's
 * $EPOCHREALTIME uses the same clock):
 *   ready T
 *   window ID WxH seen T attached T untouched 0|1
 *   first T                          first whole-window report
 *   firstimage HASH clean|overtaken  that frame's pixels (see print_first_image)
 *   bin T_END FRAMES PARTIAL         one per second, the first starting at "first"
 *   gone T FRAMES PARTIAL            the window was destroyed; totals
 * --verbose adds "report T SERVER_MS X Y W H RECTS" for every report.
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (double)ts.tv_sec + ts.tv_nsec / 1e9;
}

/* Windows come and go under us (Wine's own, other processes'): a request on
 * one that has just gone must not end the program. */
static int ignore_errors(Display *dpy, XErrorEvent *ev) {
    (void)dpy;
    (void)ev;
    return 0;
}

#define MAX_PARENTS 64
static Window parents[MAX_PARENTS];
static int parent_count;

static int want_side; /* 0: any square wider than 1 */
static Window target;
static Damage damage;

static int is_parent(Window w) {
    for (int i = 0; i < parent_count; i++)
        if (parents[i] == w) return 1;
    return 0;
}

static int wanted(int width, int height) {
    if (width != height || width <= 1) return 0;
    return want_side == 0 || width == want_side;
}

/* Reads the window back inside the grab; all zero means never drawn into. */
static int untouched(Display *dpy, Window w, int width, int height) {
    XImage *image = XGetImage(dpy, w, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (image == NULL) return 0;
    int clean = 1;
    for (int y = 0; y < height && clean; y++)
        for (int x = 0; x < width; x++)
            if (XGetPixel(image, x, y) != 0) {
                clean = 0;
                break;
            }
    XDestroyImage(image);
    return clean;
}

static int damage_event;

static Bool damage_on(Display *dpy, XEvent *ev, XPointer w) {
    (void)dpy;
    return ev->type == damage_event + XDamageNotify &&
           ((XDamageNotifyEvent *)ev)->drawable == *(Window *)w;
}

static void attach(Display *dpy, Window w, int width, int height, double seen) {
    XGrabServer(dpy);
    damage = XDamageCreate(dpy, w, XDamageReportRawRectangles);
    int clean = untouched(dpy, w, width, height);
    /* Creating a damage object reports the whole window as damaged once. The
     * grab is still held, so every report on this window queued by now is that
     * one and none comes from the saver: drop them, or the first "frame" would
     * be our own attach. */
    XEvent ev;
    while (XCheckIfEvent(dpy, &ev, damage_on, (XPointer)&w)) {
    }
    XUngrabServer(dpy);
    XSync(dpy, False);
    target = w;
    printf("window 0x%lx %dx%d seen %.6f attached %.6f untouched %d\n", (unsigned long)w, width,
           height, seen, now(), clean);
}

static int later_reports;

static Bool count_reports(Display *dpy, XEvent *ev, XPointer w) {
    if (damage_on(dpy, ev, w)) later_reports++;
    return False;
}

/* The first frame's pixels, hashed, read while nothing else can draw; "clean"
 * when no later report was already queued, i.e. the pixels are that frame's.
 * A start whose first frame hashes like that of a start known to have missed
 * nothing (blank at attach) missed nothing either. */
static void print_first_image(Display *dpy, int width, int height) {
    unsigned long long hash = 1469598103934665603ull;
    XGrabServer(dpy);
    XImage *image = XGetImage(dpy, target, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    int got = image != NULL;
    if (got) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                hash ^= XGetPixel(image, x, y) & 0xffffff;
                hash *= 1099511628211ull;
            }
        XDestroyImage(image);
    }
    later_reports = 0;
    XEvent ev;
    XCheckIfEvent(dpy, &ev, count_reports, (XPointer)&target);
    XUngrabServer(dpy);
    XFlush(dpy);
    printf("firstimage %016llx %s\n", hash, got && later_reports == 0 ? "clean" : "overtaken");
}

static void consider_child(Display *dpy, Window w, int width, int height, double seen) {
    if (target == None && wanted(width, height)) attach(dpy, w, width, height, seen);
}

static void track_parent(Display *dpy, Window parent) {
    if (is_parent(parent) || parent_count == MAX_PARENTS) return;
    parents[parent_count++] = parent;
    XSelectInput(dpy, parent, SubstructureNotifyMask);
    XSync(dpy, False);
    /* Children made before the selection took effect send no CreateNotify. */
    Window root_ret, parent_ret, *children = NULL;
    unsigned int count = 0;
    double seen = now();
    if (!XQueryTree(dpy, parent, &root_ret, &parent_ret, &children, &count)) return;
    for (unsigned int i = 0; i < count; i++) {
        XWindowAttributes attrs;
        if (XGetWindowAttributes(dpy, children[i], &attrs))
            consider_child(dpy, children[i], attrs.width, attrs.height, seen);
    }
    if (children) XFree(children);
}

static void consider_top(Display *dpy, Window w, int width, int height) {
    if (width == 1 && height == 1) track_parent(dpy, w);
}

static double first, bin_end;
static long bin_frames, bin_partial, total_frames, total_partial;

static void flush_bins(double t) {
    while (first != 0 && t >= bin_end) {
        printf("bin %.6f %ld %ld\n", bin_end, bin_frames, bin_partial);
        bin_frames = bin_partial = 0;
        bin_end += 1;
    }
}

int main(int argc, char **argv) {
    double timeout = 120;
    int verbose = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            want_side = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeout = atof(argv[++i]);
        } else if (strcmp(argv[i], "--verbose") == 0) {
            verbose = 1;
        } else {
            fprintf(stderr, "usage: %s [--size N] [--timeout SECONDS] [--verbose]\n", argv[0]);
            return 2;
        }
    }
    setvbuf(stdout, NULL, _IOLBF, 0);

    Display *dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        fprintf(stderr, "frame_watch: cannot open display\n");
        return 1;
    }
    int damage_error;
    if (!XDamageQueryExtension(dpy, &damage_event, &damage_error)) {
        fprintf(stderr, "frame_watch: no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(ignore_errors);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    Window root_ret, parent_ret, *children = NULL;
    unsigned int count = 0;
    if (XQueryTree(dpy, root, &root_ret, &parent_ret, &children, &count)) {
        for (unsigned int i = 0; i < count; i++) {
            XWindowAttributes attrs;
            if (XGetWindowAttributes(dpy, children[i], &attrs))
                consider_top(dpy, children[i], attrs.width, attrs.height);
        }
        if (children) XFree(children);
    }
    double start = now();
    printf("ready %.6f\n", start);

    /* The report being gathered: its bounding box and rectangle count. */
    int rx0 = 0, ry0 = 0, rx1 = 0, ry1 = 0, rects = 0;
    int side_w = 0, side_h = 0;
    int fd = ConnectionNumber(dpy);

    for (;;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            double t = now();
            if (ev.type == damage_event + XDamageNotify) {
                XDamageNotifyEvent *d = (XDamageNotifyEvent *)&ev;
                if (d->drawable != target) continue;
                int x0 = d->area.x, y0 = d->area.y;
                int x1 = x0 + d->area.width, y1 = y0 + d->area.height;
                if (rects == 0) {
                    rx0 = x0, ry0 = y0, rx1 = x1, ry1 = y1;
                } else {
                    if (x0 < rx0) rx0 = x0;
                    if (y0 < ry0) ry0 = y0;
                    if (x1 > rx1) rx1 = x1;
                    if (y1 > ry1) ry1 = y1;
                }
                rects++;
                side_w = d->geometry.width;
                side_h = d->geometry.height;
                if (d->more) continue;
                int whole = rx0 <= 0 && ry0 <= 0 && rx1 >= side_w && ry1 >= side_h;
                if (verbose)
                    printf("report %.6f %lu %d %d %d %d %d\n", t, (unsigned long)d->timestamp, rx0, ry0,
                           rx1 - rx0, ry1 - ry0, rects);
                rects = 0;
                if (whole && first == 0) {
                    first = t;
                    bin_end = first + 1;
                    printf("first %.6f\n", first);
                    print_first_image(dpy, side_w, side_h);
                }
                if (first == 0) continue;
                flush_bins(t);
                if (whole) bin_frames++, total_frames++;
                else bin_partial++, total_partial++;
            } else if (ev.type == CreateNotify) {
                XCreateWindowEvent *c = &ev.xcreatewindow;
                if (c->parent == root) consider_top(dpy, c->window, c->width, c->height);
                else if (is_parent(c->parent)) consider_child(dpy, c->window, c->width, c->height, t);
            } else if (ev.type == ConfigureNotify) {
                XConfigureEvent *c = &ev.xconfigure;
                if (c->event == root) consider_top(dpy, c->window, c->width, c->height);
                else if (is_parent(c->event)) consider_child(dpy, c->window, c->width, c->height, t);
            } else if (ev.type == ReparentNotify) {
                XReparentEvent *r = &ev.xreparent;
                if (is_parent(r->parent)) {
                    XWindowAttributes attrs;
                    if (XGetWindowAttributes(dpy, r->window, &attrs))
                        consider_child(dpy, r->window, attrs.width, attrs.height, t);
                }
            } else if (ev.type == DestroyNotify && target != None && ev.xdestroywindow.window == target) {
                printf("gone %.6f %ld %ld\n", t, total_frames, total_partial);
                return 0;
            }
        }

        double t = now();
        flush_bins(t);
        if (t - start > timeout) {
            printf("timeout %.6f %ld %ld\n", t, total_frames, total_partial);
            return target == None ? 3 : 0;
        }
        double wait = first != 0 ? bin_end - t : 0.25;
        struct pollfd p = {fd, POLLIN, 0};
        int ms = (int)(wait * 1000) + 1;
        if (poll(&p, 1, ms) < 0 && errno != EINTR) return 1;
    }
}
