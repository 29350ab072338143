#pragma once
// Character codes the text boxes' KeyPress reports.
namespace orv::form {

constexpr int kKeyEnter = 13;

}  // namespace orv::form
