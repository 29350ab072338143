#pragma once
// Host mode, form-free: the host parameter block the console imposes on the
// controller, and what each mode does to the window's controls.
#include <array>
#include <cstdint>

#include "core/monitor/table_lookup.h"

namespace orv {

// Positions of the six settings scroll bars the host block carries.
struct SettingsPositions {
    int deltasel = 0, windowsel = 0, loadtimesel = 0, WaterAcc = 0, Limiter = 0, RPMAcc = 0;
};

using HostParams = std::array<std::uint8_t, 9>;

// The nine bytes written at the host parameter block: the three outputs at
// the live point, then the settings positions. The window byte is the window
// size less the advance in degrees; an advance past the window gives 0, never
// a wrapped byte.
HostParams HostParamBytes(const CalculatedOutputs& calc, const SettingsPositions& pos);

// What a mode switch does to a control.
enum class Switch : std::uint8_t { keep, enable, disable };

// The controls a mode switch touches, grouped as the switch treats them.
struct ModeControls {
    Switch files = Switch::keep;         // loadmem, savemem
    Switch transfers = Switch::keep;     // upload, download
    Switch injection = Switch::keep;     // frame
    Switch common = Switch::keep;        // frame
    Switch ignition = Switch::keep;      // frame
    Switch bank2 = Switch::keep;         // frame Bnk2
    Switch ign_polarity = Switch::keep;  // ignnormal, igninv
    Switch bank2_options = Switch::keep; // bank2sel, ignsel
    Switch recorder = Switch::keep;      // frame
};

// Host mode locks out everything that would change the calibration under the
// running engine, and the recorder.
ModeControls HostModeControls();
// Remote mode gives back what the user mode and the fitted ignition allow.
ModeControls RemoteModeControls(bool editing, bool ignition_fitted);

}  // namespace orv
