#pragma once
// Character codes the text boxes' and grids' KeyPress reports.
namespace orv::form {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

}  // namespace orv::form
