// Runs our KWin script on a mock workspace of either scripting API (5 or
// 6), moves its windows through the test's steps and prints each list the
// script pushes, one JSON text a line.
const fs = require("fs");
const vm = require("vm");
const [scriptFile, version] = process.argv.slice(2);
const six = version === "6";

function signal() {
    const slots = [];
    return {connect: (f) => slots.push(f), emit: (...args) => slots.forEach((f) => f(...args))};
}
// Plasma 5 gives the class as a byte array and the id as a wrapped object.
function win(id, caption, pid, cls, desktop, kind) {
    return {
        internalId: six ? id : {toString: () => id},
        caption: caption,
        pid: pid,
        resourceClass: six ? cls : new TextEncoder().encode(cls).buffer,
        desktopFileName: desktop,
        normalWindow: kind === "normal",
        dialog: kind === "dialog",
        transient: kind === "dialog",
        captionChanged: signal(),
        desktopFileNameChanged: signal(),
    };
}

const editor = win("{a}", "Editor \u2014 notes", 100, "kate", "org.kde.kate", "normal");
const panel = win("{p}", "Panel", 50, "plasmashell", "org.kde.plasmashell", "dock");
const dialog = win("{b}", "Open File", 100, "kate", "org.kde.kate", "dialog");
const shell = win("{c}", "Shell", 200, "xterm", "", "normal");
let windows = [editor, panel, dialog];
let active = editor;

const activated = signal(), added = signal(), removed = signal();
const workspace = {};
if (six) {
    Object.assign(workspace, {windowList: () => windows, windowActivated: activated, windowAdded: added,
                              windowRemoved: removed});
    Object.defineProperty(workspace, "activeWindow", {get: () => active});
} else {
    Object.assign(workspace, {clientList: () => windows, clientActivated: activated, clientAdded: added,
                              clientRemoved: removed});
    Object.defineProperty(workspace, "activeClient", {get: () => active});
}
const pushes = [];
function callDBus(service, path, iface, method, ...args) {
    pushes.push({service, path, iface, method, args});
    console.log(args[0]);
}
vm.runInNewContext(fs.readFileSync(scriptFile, "utf8"), {workspace, callDBus, ArrayBuffer, Uint8Array});

// 2: a window opens; 3: it takes the focus; 4: its caption changes;
// 5: it closes while still the active one (KWin tells before it goes).
windows = windows.concat([shell]);
added.emit(shell);
active = shell;
activated.emit(shell);
shell.caption = "Shell two";
shell.captionChanged.emit();
removed.emit(shell);
windows = windows.filter((w) => w !== shell);
if (pushes.some((p) => p.service !== "org.tallyhour.Zide.WindowFeed" || p.method !== "Push")) {
    process.exit(2);
}
