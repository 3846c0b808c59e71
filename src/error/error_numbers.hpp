// Every error number the library raises, each under one name that says what went wrong,
// grouped by what the program was doing. The numbers below 4600 are the system's own; those
// from 4600 up are this library's, for the cases the system leaves open (limits kept instead
// of overflowing, files that are not what they must be). The numbers a host tests for are
// public constants in vornmac.h and are used here by those names, so each is written once.
//
// The list is an X-macro, X(name, number), so the named constants and the list of raised
// numbers come from the same lines: a test checks that data/vornmac.msg has a line for each,
// and a check below that no number has two names.
#pragma once
#include "vornmac/vornmac.h"

#include <array>
#include <cstddef>
#include <cstdint>

// clang-format off
#define VORNMAC_RAISED_ERRORS(X)                                                                   \
    /* Program input: the main program, included files, variable texts, the log */                 \
    X(log_cannot_open, 159)                                                                        \
    X(program_file_missing, 160)              /* %include, %goto and their _if forms */            \
    X(input_file_not_reopened, 172)           /* a file read on after a saved run */               \
    X(end_of_input, VORNMAC_ERROR_END_OF_INPUT)                                                    \
    X(main_program_missing, VORNMAC_ERROR_MAIN_PROGRAM_MISSING)                                    \
    X(input_too_deep, VORNMAC_ERROR_INPUT_TOO_DEEP)                                                \
    X(program_text_too_long, VORNMAC_ERROR_PROGRAM_TEXT_TOO_LONG)                                  \
    X(reference_cycle, VORNMAC_ERROR_REFERENCE_CYCLE)                                              \
    X(program_file_too_large, VORNMAC_ERROR_PROGRAM_FILE_TOO_LARGE)                                \
    X(program_pipe_not_kept, VORNMAC_ERROR_PROGRAM_PIPE_NOT_KEPT)                                  \
    X(input_ended_inside, VORNMAC_ERROR_INPUT_ENDED_INSIDE)    /* told to the host */             \
    X(input_ended_in_text, VORNMAC_ERROR_INPUT_ENDED_IN_TEXT)  /* told to the host */             \
    X(log_not_a_file, 4621)                                                                        \
    X(program_file_not_regular, 4653)         /* %include, %goto and their _if forms */            \
    /* The words of a statement or function */                                                     \
    X(expression_not_closed, 42)                                                                   \
    X(semicolon_expected, 1001)                                                                    \
    X(open_parenthesis_expected, 2010)                                                             \
    X(parenthesis_missing, 2011)              /* a missing ( of %charcount and %scan too */        \
    X(branch_needs_percent, 2018)                                                                  \
    X(case_needs_semicolon, 2019)                                                                  \
    X(unknown_do_form, 2020)                                                                       \
    X(loop_needs_equals, 2022)                                                                     \
    X(zero_step, 2023)                                                                             \
    X(equals_expected, 2033)                                                                       \
    X(substr_separator_expected, 2034)                                                             \
    X(input_quote_not_closed, 2046)                                                                \
    X(labelled_equals_expected, 2075)         /* %setbyte, %setstring: with the keyword */         \
    X(select_needs_parenthesis, 2083)                                                              \
    X(too_few_arguments, 3055)                                                                     \
    /* Values and the limits statements keep */                                                    \
    X(not_a_number, 2039)                                                                          \
    X(malformed_number, 2040)                                                                      \
    X(division_fault, 4630)                                                                        \
    X(text_too_long, 4631)                    /* arguments, operands, statement texts */           \
    X(variable_name_too_long, 4640)                                                                \
    X(if_too_deep, VORNMAC_ERROR_IF_TOO_DEEP)                                                      \
    X(nested_too_deep, VORNMAC_ERROR_NESTED_TOO_DEEP)                                              \
    X(expression_too_deep, 4643)                                                                   \
    X(count_too_large, 4670)                                                                       \
    /* Variables and the variable file */                                                          \
    X(undefined_variable, 2021)                                                                    \
    X(levels_too_deep, VORNMAC_ERROR_LEVELS_TOO_DEEP)                                              \
    X(variable_file_not_written, VORNMAC_ERROR_VARIABLE_FILE_NOT_WRITTEN)                          \
    X(variable_file_not_renamed, VORNMAC_ERROR_VARIABLE_FILE_NOT_RENAMED)                          \
    X(level_out_of_range, 4600)                                                                    \
    X(value_too_long, 4601)                                                                        \
    X(variable_table_full, 4602)                                                                   \
    X(empty_variable_name, 4603)                                                                   \
    X(value_not_saved, VORNMAC_ERROR_VALUE_NOT_SAVED)                                              \
    /* Command variables, their conditions, program arguments */                                   \
    X(not_a_command_variable, 162)                                                                 \
    X(command_digit_out_of_range, 163)                                                             \
    X(not_a_condition_name, 164)                                                                   \
    X(bad_condition_operator, 165)                                                                 \
    X(bad_condition_digit, 166)                                                                    \
    X(condition_text_not_quoted, 167)                                                              \
    X(unknown_condition_kind, 168)                                                                 \
    X(condition_not_a_number, 2045)                                                                \
    X(positional_name_after_named, 2028)                                                           \
    X(too_few_program_arguments, 2029)                                                             \
    X(bad_positional_name, 2030)                                                                   \
    X(bad_startup_name, 2031)                                                                      \
    X(argument_without_equals, 2032)                                                               \
    X(startup_item_too_long, 4661)                                                                 \
    /* System commands and files written by statements */                                          \
    X(command_too_long, 2036)                                                                      \
    X(output_file_cannot_open, 2080)                                                               \
    /* Macro definitions, calls and library files */                                               \
    X(skipped_call_not_ended, 161)                                                                 \
    X(named_argument_without_equals, 169)                                                          \
    X(no_such_named_parameter, 170)                                                                \
    X(call_without_semicolon, 171)                                                                 \
    X(positional_parameter_after_named, 2001)                                                      \
    X(bad_parameter_end, 2002)                                                                     \
    X(mend_names_another, 2003)                                                                    \
    X(mend_without_semicolon, 2004)                                                                \
    X(no_definition_file, 2005)                                                                    \
    X(library_not_created, 2006)                                                                   \
    X(not_a_library, 2007)                                                                         \
    X(library_slot_not_opened, 2008)                                                               \
    X(macro_not_found, 2009)                                                                       \
    X(slot_out_of_range, 2076)                                                                     \
    X(slot_supplies_text, 2077)                                                                    \
    X(no_slot_holds_library, 2078)                                                                 \
    X(library_supplies_text, 2079)                                                                 \
    X(library_damaged, VORNMAC_ERROR_LIBRARY_DAMAGED)                                              \
    X(record_too_large, 4651)                                                                      \
    X(macro_directory_full, 4652)                                                                  \
    X(macro_name_too_long, 4660)                                                                   \
    X(argument_name_too_long, 4662)

// Numbers that only head the texts of the start-up box for the variable file ("ERROR #N: ..."):
// the texts are fixed, so they are never looked up in the message file.
#define VORNMAC_BOXED_ERRORS(X)                                                                    \
    X(variable_file_wrong_version, 3004)                                                           \
    X(variable_file_damaged, 4607)                                                                 \
    X(variable_file_not_regular, 4620)
// clang-format on

namespace vornmac::error {

#define VORNMAC_NAME_ERROR(name, number) inline constexpr int16_t name = number;
VORNMAC_RAISED_ERRORS(VORNMAC_NAME_ERROR)
VORNMAC_BOXED_ERRORS(VORNMAC_NAME_ERROR)
#undef VORNMAC_NAME_ERROR

// Every number the library raises through the message file.
#define VORNMAC_LIST_ERROR(name, number) name,
inline constexpr std::array raised_numbers{VORNMAC_RAISED_ERRORS(VORNMAC_LIST_ERROR)};
inline constexpr std::array boxed_numbers{VORNMAC_BOXED_ERRORS(VORNMAC_LIST_ERROR)};
#undef VORNMAC_LIST_ERROR

namespace detail {
constexpr bool all_distinct() {
    std::array<int16_t, raised_numbers.size() + boxed_numbers.size()> all{};
    size_t count = 0;
    for (const int16_t number : raised_numbers)
        all[count++] = number;
    for (const int16_t number : boxed_numbers)
        all[count++] = number;
    for (size_t i = 0; i < count; ++i)
        for (size_t j = i + 1; j < count; ++j)
            if (all[i] == all[j]) return false;
    return true;
}
} // namespace detail
static_assert(detail::all_distinct(), "an error number has two names");

} // namespace vornmac::error
