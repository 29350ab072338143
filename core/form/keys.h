#pragma once
// Character codes the text boxes' and grids' KeyPress reports.
namespace orv::form {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

// A grid's step keys: '+' and '-' move the selected cells by one step of
// their bar, and with Shift by ten. The shifted ones have no character of
// their own (Shift with '-' types '_', with '+' a layout's own choice), so
// they get codes beyond every character.
constexpr int kKeyStepUp = '+';
constexpr int kKeyStepDown = '-';
constexpr int kKeyStepUpTen = 0x110000 + '+';
constexpr int kKeyStepDownTen = 0x110000 + '-';

}  // namespace orv::form
