// What the loop machinery keeps of each counted loop it starts, by the input stack slot that
// holds the loop's text: the words of its header after "%do#" as written ("NAME#LIMIT#STEP"),
// the variable they name, and the limit and step they spell. A pass whose header reads
// exactly those words steps the variable through the record instead of scanning the header
// and looking the name up again. The words are compared on every pass and the record holds
// nothing they do not determine (variables are never removed from the store), so a record
// left behind by an ended loop, or a slot that now holds other text, is never misread.
//
// Apart from that optional record, the set-up notes whether FROM - STEP wrapped: the first
// step then wraps back to FROM, which is not the counter running past the end of the
// integers. The note is taken (and cleared) by the first step read in that slot.
#pragma once
#include "input/input_stack.hpp"

#include <array>
#include <cstdint>
#include <string>

namespace vornmac {

struct MacroVar;

struct CountedLoopRecord {
    std::string header;
    MacroVar *variable = nullptr;      // null: nothing kept, the header is scanned
    MacroVar *text_variable = nullptr; // the "_TEMP" variable that holds the loop text
    int32_t limit = 0;
    int32_t step = 0;
    int16_t last_word_size = 0;  // the step's digits, the header's last word
    bool set_up_wrapped = false; // kept whether or not records are: see above
    // The digits the last step by the record wrote and the number they spell: a value that
    // still reads so has that number without being read again.
    std::array<char, 12> written{};
    uint16_t written_length = 0;
    int32_t written_number = 0;
};

class LoopRecords {
  public:
    CountedLoopRecord &at(int16_t slot) { return records_[static_cast<size_t>(slot)]; }

  private:
    std::array<CountedLoopRecord, InputStack::slot_count> records_;
};

} // namespace vornmac
