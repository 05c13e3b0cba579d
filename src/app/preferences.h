#pragma once
// Loading and saving the preferences file "Talvoro.ini" (section "Prefs") to and from Settings.
// GUI thread only (start-up, after a connection, the Options dialog); load and save never overlap.
// Nothing here reports an error: a missing or unreadable file, a missing section or key gives the
// defaults; a file that cannot be written leaves the old one as it was.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/process_state.h"
#include "app/settings.h"

namespace talvoro::app {

// The main window's geometry at the moment of saving; the Settings fields are not used for it.
struct WindowGeometry {
    std::int32_t x = -1;  // left of the outer frame, screen pixels
    std::int32_t y = -1;  // top of the outer frame
    std::int32_t clientWidth = 640;
    std::int32_t clientHeightPlusMenu = 371;  // client height plus the menu bar's height
};

// Fills every field of `settings` from the file at `path`; a missing key takes its default
// ("Host": `defaultHost`). Numbers are cut to their field's width; no range check is made.
void LoadSettings(const std::string& path, Settings& settings, std::string_view defaultHost);

// Seeds WindowShown and ChatMessageSound from the loaded "Hidden" and "SMessSnd".
void ApplyLoadedSettings(ProcessState& state);

// Rewrites the whole file: every key but "Font" and "FontSize", the geometry from `geometry`.
// ScrollLockStatus becomes its bit 0 plus 2 when `scrollLockOn`; the field is updated to that
// value first. Returns false when the file could not be written.
bool SaveSettings(const std::string& path, Settings& settings, const WindowGeometry& geometry,
                  bool scrollLockOn);

}  // namespace talvoro::app
