// Runs inside KWin, loaded by Tallyhour Zide over the bus: tells the program
// which windows there are and which has the focus, the whole list at start
// and again after every change, by a call to the program's own bus object
// (which takes calls from KWin alone). One file serves both scripting APIs:
// where the window calls of Plasma 6 exist they are used, else those of
// Plasma 5.
var feed = {
    service: "org.tallyhour.Zide.WindowFeed",
    path: "/org/tallyhour/Zide/WindowFeed",
    iface: "org.tallyhour.Zide.WindowFeed",
};

var six = typeof workspace.windowList === "function";
var api = six ? {
    list: function () { return workspace.windowList(); },
    active: function () { return workspace.activeWindow; },
    activated: workspace.windowActivated,
    added: workspace.windowAdded,
    removed: workspace.windowRemoved,
} : {
    list: function () { return workspace.clientList(); },
    active: function () { return workspace.activeClient; },
    activated: workspace.clientActivated,
    added: workspace.clientAdded,
    removed: workspace.clientRemoved,
};

// Plasma 5 hands some names over as byte arrays.
function text(value) {
    if (value === undefined || value === null) {
        return "";
    }
    if (typeof value === "string") {
        return value;
    }
    if (typeof ArrayBuffer !== "undefined" && value instanceof ArrayBuffer) {
        var bytes = new Uint8Array(value);
        var s = "";
        for (var i = 0; i < bytes.length; ++i) {
            s += String.fromCharCode(bytes[i]);
        }
        return s;
    }
    return String(value);
}

function idOf(w) {
    return String(w.internalId);
}

// Panels, the desktop and pop-ups are no windows a user works in.
function counts(w) {
    return w && !w.deleted && (w.normalWindow || w.dialog);
}

function push(gone) {
    var goneId = gone ? idOf(gone) : "";
    var active = api.active();
    var activeId = active ? idOf(active) : "";
    if (activeId === goneId) {
        activeId = "";
    }
    var windows = [];
    var all = api.list();
    for (var i = 0; i < all.length; ++i) {
        var w = all[i];
        if (!counts(w) || idOf(w) === goneId) {
            continue;
        }
        windows.push({
            id: idOf(w),
            caption: text(w.caption),
            pid: Number(w.pid) || 0,
            resourceClass: text(w.resourceClass),
            desktopFileName: text(w.desktopFileName),
            transient: !!w.transient,
        });
    }
    callDBus(feed.service, feed.path, feed.iface, "Push",
             JSON.stringify({api: six ? 6 : 5, active: activeId, windows: windows}));
}

function watch(w) {
    if (!w) {
        return;
    }
    w.captionChanged.connect(function () { push(null); });
    if (w.desktopFileNameChanged) {
        w.desktopFileNameChanged.connect(function () { push(null); });
    }
}

api.added.connect(function (w) {
    watch(w);
    push(null);
});
api.removed.connect(function (w) { push(w); });
api.activated.connect(function () { push(null); });

var first = api.list();
for (var i = 0; i < first.length; ++i) {
    watch(first[i]);
}
push(null);
