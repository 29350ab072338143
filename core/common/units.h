#pragma once
// The offsets of the controller's byte codings, shared by the live values,
// the tables, the calculated output and the settings.
namespace orv {

constexpr int kPressureOffset = 10;     // live pressure: (v - 10) / 10 bar
constexpr int kTemperatureOffset = 20;  // air and water: v - 20 degrees Celsius
constexpr int kAdvanceOffset = 45;      // advance, live and in the tables: v - 45 degrees
constexpr int kFuelGainOffset = 90;     // fuel correction tables: v - 90 percent

}  // namespace orv
