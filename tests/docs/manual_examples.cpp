// Reads the examples out of the manual in one pass over its fenced blocks: first the
// blocks with their info strings and texts, then the order rules that tie them into
// examples. A block's text is its lines between the fences, each with its line feed.
#include "manual_examples.hpp"

#include <sstream>

namespace vornmac::docs {

namespace {

struct Block {
    int line;
    std::vector<std::string> info; // the info string's words
    std::string text;
};

std::vector<std::string> words_of(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

size_t backtick_run(const std::string &line) {
    size_t n = 0;
    while (n < line.size() && line[n] == '`')
        ++n;
    return n;
}

bool only_blanks_from(const std::string &line, size_t from) {
    return line.find_first_not_of(" \t\r", from) == std::string::npos;
}

// Fences start in the first column; a closing fence is at least as long as its opening
// one and holds nothing else.
std::vector<Block> read_blocks(const std::string &markdown, std::vector<std::string> &problems) {
    std::vector<Block> blocks;
    std::istringstream in(markdown);
    std::string line;
    int number = 0;
    size_t open_fence = 0;
    Block current{};
    while (std::getline(in, line)) {
        ++number;
        const size_t run = backtick_run(line);
        if (open_fence == 0) {
            if (run >= 3) {
                open_fence = run;
                current = Block{number, words_of(line.substr(run)), {}};
            }
        } else if (run >= open_fence && only_blanks_from(line, run)) {
            blocks.push_back(current);
            open_fence = 0;
        } else {
            current.text += line + '\n';
        }
    }
    if (open_fence != 0)
        problems.push_back(std::to_string(current.line) + ": fenced block is never closed");
    return blocks;
}

std::string at(int line, const std::string &what) {
    return std::to_string(line) + ": " + what;
}

// ```vornmac NAME=VALUE ... -OPTION ... -- ARGUMENT ...
void read_program_words(const Block &block, ManualExample &example) {
    size_t i = 1;
    for (; i < block.info.size(); ++i) {
        const std::string &word = block.info[i];
        if (word.starts_with("-") || word.find('=') == std::string::npos) break;
        example.environment.push_back(word);
    }
    bool after_separator = false;
    for (; i < block.info.size(); ++i) {
        const std::string &word = block.info[i];
        if (!after_separator && word == "--")
            after_separator = true;
        else
            (after_separator ? example.arguments : example.options).push_back(word);
    }
}

class ExampleCollector {
  public:
    explicit ExampleCollector(ManualParse &parse) : parse_(parse) {}

    void take(const Block &block);
    void finish();

  private:
    void problem(int line, const std::string &what) { parse_.problems.push_back(at(line, what)); }
    void lose_unanswered_program();
    std::string named_file(const Block &block);

    ManualParse &parse_;
    ManualExample pending_;          // files and input gathered for the next program
    std::vector<int> pending_lines_; // where those came from
    bool awaiting_output_ = false;   // the last program still needs its output block
    bool can_take_results_ = false;  // the last example's output has been read
};

void ExampleCollector::lose_unanswered_program() {
    if (!awaiting_output_) return;
    problem(parse_.examples.back().line, "program block has no output block after it");
    parse_.examples.pop_back();
    awaiting_output_ = false;
}

std::string ExampleCollector::named_file(const Block &block) {
    if (block.info.size() != 2) {
        problem(block.line, "\"" + block.info[0] + "\" needs exactly one file name");
        return {};
    }
    return block.info[1];
}

void ExampleCollector::take(const Block &block) {
    const std::string kind = block.info.empty() ? std::string() : block.info[0];
    if (kind == "output") {
        if (!awaiting_output_) {
            problem(block.line, "output block follows no program block");
            return;
        }
        parse_.examples.back().expected_output = block.text;
        awaiting_output_ = false;
        can_take_results_ = true;
        return;
    }
    lose_unanswered_program();
    if (kind == "vornmac" || kind == "script") {
        ManualExample example = std::move(pending_);
        pending_ = ManualExample{};
        pending_lines_.clear();
        example.line = block.line;
        example.program = block.text;
        example.script = kind == "script";
        if (!example.script)
            read_program_words(block, example);
        else if (block.info.size() != 1)
            problem(block.line, "\"script\" takes no words");
        parse_.examples.push_back(std::move(example));
        awaiting_output_ = true;
        can_take_results_ = false;
    } else if (kind == "file" || kind == "stdin") {
        can_take_results_ = false;
        pending_lines_.push_back(block.line);
        if (kind == "stdin") {
            if (block.info.size() != 1) problem(block.line, "\"stdin\" takes no words");
            pending_.standard_input += block.text;
            return;
        }
        const std::string name = named_file(block);
        if (name.empty()) return;
        if (!pending_.files.emplace(name, block.text).second)
            problem(block.line, "file " + name + " is given twice for one program");
    } else if (kind == "written" || kind == "log") {
        if (!can_take_results_) {
            problem(block.line, "\"" + kind + "\" block does not follow an output block");
            return;
        }
        ManualExample &example = parse_.examples.back();
        if (kind == "log") {
            if (block.info.size() != 1) problem(block.line, "\"log\" takes no words");
            example.checks_log = true;
            example.expected_log = block.text;
            return;
        }
        const std::string name = named_file(block);
        if (!name.empty()) example.expected_files[name] = block.text;
    }
}

void ExampleCollector::finish() {
    lose_unanswered_program();
    for (int line : pending_lines_)
        problem(line, "file or stdin block is followed by no program block");
    // A document whose examples all went (a renamed info string, say) must not pass.
    if (parse_.examples.empty()) problem(1, "the document holds no example");
}

} // namespace

ManualParse parse_manual(const std::string &markdown) {
    ManualParse parse;
    const std::vector<Block> blocks = read_blocks(markdown, parse.problems);
    ExampleCollector collector(parse);
    for (const Block &block : blocks)
        collector.take(block);
    collector.finish();
    return parse;
}

} // namespace vornmac::docs
