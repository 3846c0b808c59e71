// The fast paths of reading. Each sits beside a general path that gives the same result: the
// common character inline, and whole tokens and names taken from what the input has in view
// (reads); a value of name characters read on as part of a word instead of pushed as a
// source (values_in_place), and a token that begins with such a reference read whole from what is
// in view (reference_tokens); a counted loop stepped through its record instead of its header
// scanned (loop_records); an argument's plain stretch taken whole instead of token by token
// (plain_runs); a called macro's record and its body kept from an earlier call instead of
// read from the library file again (macro_records), and that body read in place instead of
// copied block by block into a read buffer (macro_in_place); a file source's windows copied from
// bytes read ahead instead of read one by one (read_ahead); the log's echo of a program file's
// plain tokens gathered as spans of its read buffer instead of copied token by token (echo_spans);
// runs of plain tokens delivered to a host in one request instead of one request each
// (token_batches: off, vornmac_gettokens delivers none); a macro call's simple argument list
// read whole from what is in view instead of token by token (arguments_in_view); the plain tokens
// that an expression or the opening of an argument list reads taken from the view, the input
// brought up to date once for a run of them, instead of each through the general scan
// (tokens_in_view); the marker tokens a host's token passes over stepped over where they are in
// view instead of scanned one by one (marker_skips).
// In use all are on; they can be turned off, one context at a time, only so that the differential
// tests can run every program both ways and compare.
#pragma once

namespace vornmac {

struct FastPaths {
    bool reads = true;
    bool values_in_place = true;
    bool loop_records = true;
    bool plain_runs = true;
    bool macro_records = true;
    bool read_ahead = true;
    bool reference_tokens = true;
    bool echo_spans = true;
    bool macro_in_place = true;
    bool token_batches = true;
    bool arguments_in_view = true;
    bool tokens_in_view = true;
    bool marker_skips = true;
};

} // namespace vornmac
