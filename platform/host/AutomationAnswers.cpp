#include <host/Automation.h>
#include <host/Machine.h>

#include <cstdlib>
#include <strings.h>

namespace host {
namespace {

struct Token {
    bool quoted = false;
    std::string text;
};

// Splits a line into words and quoted strings. Inside quotes a doubled quote stands for one,
// and a backslash is an ordinary character, so Windows paths need no escaping.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#' && tokens.empty())
            return true; // a comment line
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        token.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                token.text += line[i++];
            }
            if (!closed) {
                error = "a quoted text is not closed";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                token.text += line[i++];
        }
        tokens.push_back(token);
    }
    return true;
}

bool ParseId(const Token& token, int& id) {
    static const struct {
        const char* name;
        int id;
    } names[] = {{"ok", 1},     {"cancel", 2}, {"abort", 3}, {"retry", 4},
                 {"ignore", 5}, {"yes", 6},    {"no", 7}};
    if (token.quoted || token.text.empty())
        return false;
    for (const auto& name : names) {
        if (strcasecmp(token.text.c_str(), name.name) == 0) {
            id = name.id;
            return true;
        }
    }
    const std::string& text = token.text;
    size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size() || text.size() > 7 ||
        text.find_first_not_of("0123456789", start) != std::string::npos)
        return false;
    id = std::atoi(text.c_str());
    return true;
}

std::string Convert(const std::string& text, bool convert) {
    return convert ? Utf8ToAnsi(text) : text;
}

} // namespace

bool ParseAnswers(const std::string& text, bool convert, std::vector<Answer>& answers,
                  std::string& error) {
    answers.clear();
    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3); // a byte-order mark some editors write

        std::vector<Token> tokens;
        std::string problem;
        if (!Tokenize(line, tokens, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        if (tokens.empty())
            continue;
        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };

        Answer answer;
        answer.line = lineNumber;
        size_t i = 0;
        if (!tokens[i].quoted && strcasecmp(tokens[i].text.c_str(), "always") == 0) {
            answer.always = true;
            ++i;
        }
        if (i >= tokens.size())
            return fail("a window (a quoted text, or *) is missing");
        if (tokens[i].quoted) {
            if (tokens[i].text.empty())
                return fail("the window's text is empty (use * for any window)");
            answer.match = Convert(tokens[i].text, convert);
        } else if (tokens[i].text == "*") {
            answer.anyWindow = true;
        } else {
            return fail("\"" + tokens[i].text + "\" is not a window: write a quoted text or *");
        }
        ++i;
        while (i < tokens.size()) {
            const Token& verb = tokens[i++];
            AnswerAction action;
            if (verb.quoted)
                return fail("\"" + verb.text +
                            "\" is not an action (type, press, select, open, insert)");
            std::string name = verb.text;
            if (strcasecmp(name.c_str(), "press") == 0) {
                action.kind = AnswerAction::Kind::Press;
                if (i >= tokens.size())
                    return fail("press what? an id, a name such as ok, a \"label\" or default");
                const Token& what = tokens[i++];
                if (what.quoted) {
                    if (what.text.empty())
                        return fail("an empty button label");
                    action.text = Convert(what.text, convert);
                } else if (strcasecmp(what.text.c_str(), "default") == 0) {
                    action.id = 0;
                } else if (!ParseId(what, action.id) || action.id == 0) {
                    return fail("\"" + what.text + "\" is not a button id");
                }
            } else if (strcasecmp(name.c_str(), "type") == 0 ||
                       strcasecmp(name.c_str(), "select") == 0 ||
                       strcasecmp(name.c_str(), "open") == 0) {
                action.kind = strcasecmp(name.c_str(), "type") == 0     ? AnswerAction::Kind::Type
                              : strcasecmp(name.c_str(), "select") == 0 ? AnswerAction::Kind::Select
                                                                        : AnswerAction::Kind::Open;
                if (i + 1 >= tokens.size())
                    return fail(name + " wants a control id and a quoted text");
                if (!ParseId(tokens[i], action.id))
                    return fail("\"" + tokens[i].text + "\" is not a control id");
                if (!tokens[i + 1].quoted)
                    return fail(name + " wants its text in quotes");
                action.text = Convert(tokens[i + 1].text, convert);
                i += 2;
            } else if (strcasecmp(name.c_str(), "insert") == 0) {
                action.kind = AnswerAction::Kind::Insert;
                if (i >= tokens.size() || !tokens[i].quoted || tokens[i].text.empty())
                    return fail("insert wants a host directory in quotes");
                // A host path: its bytes are the host's, not the machine's code page.
                action.text = tokens[i++].text;
            } else {
                return fail("\"" + name +
                            "\" is not an action (type, press, select, open, insert)");
            }
            answer.actions.push_back(action);
        }
        if (answer.actions.empty())
            return fail("no action: say what to type or press");
        answers.push_back(answer);
        if (end == text.size())
            break;
    }
    return true;
}

} // namespace host
