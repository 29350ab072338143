#pragma once
// Character codes the text boxes' and grids' KeyPress reports.
namespace orv::form {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

// A grid's step keys move the selected cells by one step of their bar, or by
// ten. They are keys that type nothing (the window gives them Page Up and
// Page Down, with Shift for ten), so that every character a number can begin
// with, '+' and '-' too, begins an entry. Their codes lie beyond every
// character.
constexpr int kKeyStepUp = 0x110001;
constexpr int kKeyStepDown = 0x110002;
constexpr int kKeyStepUpTen = 0x110003;
constexpr int kKeyStepDownTen = 0x110004;

}  // namespace orv::form
