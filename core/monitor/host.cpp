#include "core/monitor/host.h"

#include <algorithm>

#include "core/common/units.h"

namespace orv {

namespace {
std::uint8_t ToByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }
}  // namespace

HostParams HostParamBytes(const CalculatedOutputs& calc, const SettingsPositions& pos) {
    return {calc.op_tinj1,
            calc.op_tinj2,
            calc.op_advance,
            ToByte(pos.deltasel),
            ToByte(pos.windowsel + kAdvanceOffset - calc.op_advance),
            ToByte(pos.loadtimesel),
            ToByte(pos.WaterAcc),
            ToByte(pos.Limiter),
            ToByte(pos.RPMAcc)};
}

ModeControls HostModeControls() {
    ModeControls m;
    m.files = m.transfers = m.common = Switch::disable;
    m.ign_polarity = m.bank2_options = Switch::disable;
    m.recorder = Switch::disable;
    return m;
}

ModeControls RemoteModeControls(bool editing, bool ignition_fitted) {
    const Switch by_edit = editing ? Switch::enable : Switch::disable;
    ModeControls m;
    m.files = m.transfers = m.injection = m.common = by_edit;
    // Outside edit mode the ignition frames keep their state unless there is
    // no ignition to set.
    const Switch ign_frames = !ignition_fitted ? Switch::disable : (editing ? Switch::enable : Switch::keep);
    m.ignition = m.bank2 = ign_frames;
    m.ign_polarity = m.bank2_options = ignition_fitted ? Switch::enable : Switch::disable;
    m.recorder = Switch::enable;
    return m;
}

}  // namespace orv
