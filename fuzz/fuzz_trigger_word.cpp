// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the trigger word check and the trigger word box's editing model. The
// first byte splits the input: the check reads the text after it; the editor replays the
// same bytes as a key sequence and must keep a well-formed word throughout.
//   scripts/fuzz 600 trigger_word
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/trigger_word.h"
#include "main/trigger_word_editor.h"

namespace {

void require(bool ok) {
    if (!ok) __builtin_trap();
}

void checkNormaliser(const std::string &text) {
    const std::string word = kv::app::normaliseTriggerWord(text);
    require(word.size() <= 26 && word.size() >= 2);
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        require(c == '0' || c == '1' || c == 'X' || c == ' ');
    }
    // A whole word checks to itself. (A short group stays short, so a short text is
    // read differently the second time: its joining blanks fall inside the first group.)
    if (word.size() == 26) {
        require(kv::app::TriggerWordEditor::isWellFormed(word));
        require(word == kv::app::normaliseTriggerWord(word));
    }
}

// Each step is two bytes: an operation and its argument.
void replayKeys(const uint8_t *data, size_t size) {
    kv::app::TriggerWordEditor editor;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char arg = static_cast<char>(data[i + 1]);
        const int position = data[i + 1] % 30 - 1;
        switch (data[i] % 7) {
            case 0:
                editor.type(arg);
                break;
            case 1:
                editor.backspace();
                break;
            case 2:
                editor.deleteForward();
                break;
            case 3:
                editor.setCursor(position);
                break;
            case 4:
                editor.setCursor(editor.cursor(), position);
                break;
            case 5: {
                const size_t n = std::min<size_t>(size - i - 2, data[i + 1] % 40);
                editor.paste(std::string(reinterpret_cast<const char *>(data + i + 2), n));
                break;
            }
            default:
                editor.setText(std::string(1, arg) + editor.text());
                break;
        }
        require(kv::app::TriggerWordEditor::isWellFormed(editor.text()));
        require(editor.cursor() >= 0 && editor.cursor() <= 26);
        require(kv::app::normaliseTriggerWord(editor.text()) == editor.text());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    checkNormaliser(std::string(reinterpret_cast<const char *>(data + 1), size - 1));
    replayKeys(data, size);
    return 0;
}
