#pragma once
// The common file dialog with answers a test gives in advance: each question
// takes the next answer (nothing: Cancel), and every question is kept.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/files/file_dialog.h"

namespace orv::test {

class ScriptedFileDialog : public FileDialog {
   public:
    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogRequest> asked;
    std::vector<bool> asked_to_save;

    std::optional<std::string> ShowOpen(const FileDialogRequest& r) override { return Answer(r, false); }
    std::optional<std::string> ShowSave(const FileDialogRequest& r) override { return Answer(r, true); }

   private:
    std::optional<std::string> Answer(const FileDialogRequest& r, bool save) {
        asked.push_back(r);
        asked_to_save.push_back(save);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace orv::test
