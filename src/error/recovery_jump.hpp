// How control leaves the library's inner frames. A reported error that must go back to the
// host's recovery mark throws RecoveryJump; running out of input with nowhere to jump
// throws InputExhausted. Both are caught at the export boundary, after every destructor
// has run, and only there is the host's longjmp made.
#pragma once

namespace vornmac {

struct RecoveryJump {
    int value; // 1 program from a file or host text, 2 from the terminal, 100 cannot go on
};

struct InputExhausted {};

} // namespace vornmac
