#pragma once

#include "platform/system/unique_fd.h"
#include "platform/wayland/window_source.h"

#include <string>
#include <vector>

namespace tally {

// The windows in sway's GET_TREE answer: every view (native or X) with its
// pid, app id (an X program's class) and title, the focused one flagged.
std::vector<SeenWindow> ParseSwayTree(const std::string& json);

// sway's IPC ($SWAYSOCK): one socket for requests, one subscribed to window
// and workspace events, which mark the list stale; the tree is asked for
// again only then.
class SwaySource final : public WindowSource
{
public:
    // Throws std::runtime_error when sway does not answer there.
    explicit SwaySource(const std::string& socketPath);

    std::string Name() const override { return "sway IPC"; }
    bool KnowsProcesses() const override { return true; }
    const std::vector<SeenWindow>& Windows() override;
    int EventDescriptor() const override { return m_events.Get(); }
    void Dispatch() override;

private:
    std::string m_path;
    UniqueFd m_requests;
    UniqueFd m_events;
    std::string m_buffer;
    bool m_stale = true;
    std::vector<SeenWindow> m_windows;
};

// The windows of Hyprland's "j/clients" answer, with the one whose address
// "j/activewindow" gave flagged.
std::vector<SeenWindow> ParseHyprlandClients(const std::string& clientsJson, const std::string& activeJson);

// Hyprland's request socket (one connection per request) and its event
// socket, whose window events mark the list stale.
class HyprlandSource final : public WindowSource
{
public:
    // folder: $XDG_RUNTIME_DIR/hypr/$HYPRLAND_INSTANCE_SIGNATURE. Throws
    // std::runtime_error when Hyprland does not answer there.
    explicit HyprlandSource(std::string folder);

    std::string Name() const override { return "Hyprland IPC"; }
    bool KnowsProcesses() const override { return true; }
    const std::vector<SeenWindow>& Windows() override;
    int EventDescriptor() const override { return m_events.Get(); }
    void Dispatch() override;

private:
    std::string Request(const std::string& command) const;

    std::string m_folder;
    UniqueFd m_events;
    std::string m_buffer;
    bool m_stale = true;
    std::vector<SeenWindow> m_windows;
};

} // namespace tally
