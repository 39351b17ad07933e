// Tells Tallyhour Zide which windows there are and which has the focus: the
// whole list, pushed to the program's own bus object (which takes calls from
// GNOME Shell's connection alone) whenever it changes, so that nothing on
// the bus can read the list. While the program is not running, nothing is
// watched. Only plain window calls are made: nothing here asks for work
// areas or monitors, which can fail while monitors change.
const FEED_SERVICE = 'org.tallyhour.Zide.WindowFeed';
const FEED_PATH = '/org/tallyhour/Zide/WindowFeed';
const FEED_INTERFACE = 'org.tallyhour.Zide.WindowFeed';
// Changes that come together (a new window takes the focus and sets its
// title) go out as one push.
const PUSH_DELAY_MS = 100;

const COUNTED_TYPES = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG, Meta.WindowType.MODAL_DIALOG];

class WindowFeed {
    constructor() {
        this._nameWatch = 0;
        this._displaySignals = [];
        this._windows = new Map(); // window -> its signal ids
        this._pending = 0;
    }

    start() {
        this._nameWatch = Gio.bus_watch_name(Gio.BusType.SESSION, FEED_SERVICE, Gio.BusNameWatcherFlags.NONE,
            () => this._follow(), () => this._unfollow());
    }

    stop() {
        if (this._nameWatch) {
            Gio.bus_unwatch_name(this._nameWatch);
            this._nameWatch = 0;
        }
        this._unfollow();
    }

    _follow() {
        this._unfollow();
        const display = global.display;
        this._displaySignals = [
            display.connect('notify::focus-window', () => this._schedule()),
            display.connect('window-created', (_display, window) => {
                this._watch(window);
                this._schedule();
            }),
        ];
        for (const actor of global.get_window_actors()) {
            this._watch(actor.get_meta_window());
        }
        this._schedule();
    }

    _unfollow() {
        for (const id of this._displaySignals) {
            global.display.disconnect(id);
        }
        this._displaySignals = [];
        for (const [window, ids] of this._windows) {
            for (const id of ids) {
                window.disconnect(id);
            }
        }
        this._windows.clear();
        if (this._pending) {
            GLib.source_remove(this._pending);
            this._pending = 0;
        }
    }

    _watch(window) {
        if (!window || this._windows.has(window)) {
            return;
        }
        this._windows.set(window, [
            window.connect('notify::title', () => this._schedule()),
            window.connect('unmanaged', () => {
                for (const id of this._windows.get(window) || []) {
                    window.disconnect(id);
                }
                this._windows.delete(window);
                this._schedule();
            }),
        ]);
    }

    _schedule() {
        if (this._pending) {
            return;
        }
        this._pending = GLib.timeout_add(GLib.PRIORITY_DEFAULT, PUSH_DELAY_MS, () => {
            this._pending = 0;
            this._push();
            return GLib.SOURCE_REMOVE;
        });
    }

    _describe(window) {
        // The application GNOME matched the window to, when it is one with a
        // desktop entry (not one it made up for the window alone).
        let app = '';
        const found = Shell.WindowTracker.get_default().get_window_app(window);
        if (found && !found.is_window_backed()) {
            app = (found.get_id() || '').replace(/\.desktop$/, '');
        }
        return {
            id: String(window.get_id()),
            caption: window.get_title() || '',
            pid: window.get_pid() > 0 ? window.get_pid() : 0,
            resourceClass: window.get_wm_class() || '',
            desktopFileName: app,
            transient: window.get_transient_for() !== null,
        };
    }

    _push() {
        const focus = global.display.focus_window;
        const windows = [];
        for (const window of this._windows.keys()) {
            if (COUNTED_TYPES.includes(window.get_window_type())) {
                windows.push(this._describe(window));
            }
        }
        const list = {
            active: focus && this._windows.has(focus) ? String(focus.get_id()) : '',
            windows,
        };
        Gio.DBus.session.call(FEED_SERVICE, FEED_PATH, FEED_INTERFACE, 'Push',
            new GLib.Variant('(s)', [JSON.stringify(list)]), null, Gio.DBusCallFlags.NO_AUTO_START, 5000, null,
            (connection, result) => {
                try {
                    connection.call_finish(result);
                } catch (e) {
                    // The program ended meanwhile; the name watch notices.
                }
            });
    }
}
