#include "resource_script.h"

#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace {

// Names a script may use without defining them: those of windows.h and winres.h.
const std::map<std::string, long> kBuiltinSymbols = {
    {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", long(WS_POPUP)}, {"WS_CHILD", WS_CHILD},
    {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED}, {"WS_CLIPSIBLINGS", WS_CLIPSIBLINGS},
    {"WS_CLIPCHILDREN", WS_CLIPCHILDREN}, {"WS_CAPTION", WS_CAPTION}, {"WS_BORDER", WS_BORDER},
    {"WS_DLGFRAME", WS_DLGFRAME}, {"WS_SYSMENU", WS_SYSMENU}, {"WS_THICKFRAME", WS_THICKFRAME},
    {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP}, {"WS_EX_TOPMOST", WS_EX_TOPMOST},
    {"DS_SETFONT", DS_SETFONT}, {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_CENTER", DS_CENTER},
    {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
    {"ES_LEFT", ES_LEFT}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"SS_LEFT", SS_LEFT},
    {"SS_CENTER", SS_CENTER}, {"SS_RIGHT", SS_RIGHT}, {"SS_ICON", SS_ICON},
    {"MFT_STRING", MFT_STRING}, {"MFT_SEPARATOR", MFT_SEPARATOR}, {"MFT_RIGHTORDER", MFT_RIGHTORDER},
    {"MFT_RIGHTJUSTIFY", MFT_RIGHTJUSTIFY}, {"MFS_ENABLED", MFS_ENABLED}, {"MFS_CHECKED", MFS_CHECKED},
    {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDC_STATIC", -1},
    {"VK_BACK", VK_BACK}, {"VK_TAB", VK_TAB}, {"VK_RETURN", VK_RETURN}, {"VK_ESCAPE", VK_ESCAPE},
    {"VK_SPACE", VK_SPACE}, {"VK_LEFT", VK_LEFT}, {"VK_UP", VK_UP}, {"VK_RIGHT", VK_RIGHT},
    {"VK_DOWN", VK_DOWN}, {"VK_ADD", VK_ADD}, {"VK_SUBTRACT", VK_SUBTRACT},
    {"VK_F1", VK_F1}, {"VK_F2", VK_F1 + 1}, {"VK_F3", VK_F1 + 2}, {"VK_F4", VK_F1 + 3},
    {"VK_F5", VK_F1 + 4}, {"VK_F6", VK_F1 + 5}, {"VK_F7", VK_F1 + 6}, {"VK_F8", VK_F1 + 7},
    {"VK_F9", VK_F1 + 8}, {"VK_F10", VK_F1 + 9}, {"VK_F11", VK_F1 + 10}, {"VK_F12", VK_F12},
};

struct Token {
    enum Kind { Name, Number, String, Punct, End } kind = End;
    std::string text;
    long value = 0;
};

std::string StripComments(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '"') {  // strings may hold slashes
            size_t end = i + 1;
            while (end < text.size() && text[end] != '"' && text[end] != '\n') end++;
            out.append(text, i, end - i + 1);
            i = end;
        } else if (text.compare(i, 2, "//") == 0) {
            while (i < text.size() && text[i] != '\n') i++;
            out += '\n';
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            for (size_t j = i; j < std::min(end, text.size()); j++)
                if (text[j] == '\n') out += '\n';
            i = end == std::string::npos ? text.size() : end + 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A string literal: "" is a quote, and \t, \n, \\ and \" are escapes.
std::string ReadString(const std::string& s, size_t* at) {
    std::string value;
    size_t i = *at + 1;
    for (;;) {
        if (i >= s.size()) throw std::runtime_error("unterminated string");
        const char c = s[i];
        if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
            value += '"';
            i += 2;
        } else if (c == '"') {
            break;
        } else if (c == '\\' && i + 1 < s.size()) {
            const char e = s[i + 1];
            value += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'a' ? '\b' : e;
            i += 2;
        } else {
            value += c;
            i++;
        }
    }
    *at = i + 1;
    return value;
}

std::vector<Token> Tokenize(const std::string& s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        Token token;
        if (std::isspace(c)) {
            i++;
            continue;
        } else if (c == '"') {
            token.kind = Token::String;
            token.text = ReadString(s, &i);
        } else if (std::isdigit(c)) {
            size_t end = i;
            token.kind = Token::Number;
            token.value = std::strtol(s.c_str() + i, nullptr, 0);
            while (end < s.size() && std::isalnum(static_cast<unsigned char>(s[end]))) end++;
            token.text = s.substr(i, end - i);
            i = end;
        } else if (std::isalpha(c) || c == '_') {
            size_t end = i;
            while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_'))
                end++;
            token.kind = Token::Name;
            token.text = s.substr(i, end - i);
            i = end;
        } else {
            token.kind = Token::Punct;
            token.text = std::string(1, char(c));
            i++;
        }
        tokens.push_back(token);
    }
    tokens.push_back(Token{});
    return tokens;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const std::map<std::string, long>& symbols)
        : tokens_(std::move(tokens)), symbols_(symbols) {}

    bool AtEnd() const { return Peek().kind == Token::End; }
    const Token& Peek(size_t ahead = 0) const {
        return tokens_[std::min(at_ + ahead, tokens_.size() - 1)];
    }
    Token Next() {
        Token token = Peek();
        if (at_ < tokens_.size() - 1) at_++;
        return token;
    }
    bool IsWord(const char* word, size_t ahead = 0) const {
        return Peek(ahead).kind == Token::Name && Peek(ahead).text == word;
    }
    bool Accept(const char* text) {
        if ((Peek().kind == Token::Punct || Peek().kind == Token::Name) && Peek().text == text) {
            Next();
            return true;
        }
        return false;
    }
    void Expect(const char* text) {
        if (!Accept(text)) throw std::runtime_error(std::string("expected ") + text + " before " + Peek().text);
    }
    bool AcceptComma() { return Accept(","); }
    bool AtBlockStart() const { return IsWord("BEGIN") || (Peek().kind == Token::Punct && Peek().text == "{"); }
    bool AtBlockEnd() const { return IsWord("END") || (Peek().kind == Token::Punct && Peek().text == "}"); }
    void BlockStart() {
        if (!Accept("BEGIN")) Expect("{");
    }
    void BlockEnd() {
        if (!Accept("END")) Expect("}");
    }
    bool StartsExpression() const {
        const Token& t = Peek();
        return t.kind == Token::Number || (t.kind == Token::Name && symbols_.count(t.text)) ||
               (t.kind == Token::Punct && (t.text == "(" || t.text == "-")) || IsWord("NOT");
    }
    std::string String() {
        if (Peek().kind != Token::String) throw std::runtime_error("expected a string before " + Peek().text);
        return Next().text;
    }

    // expression := term { ('|' | '+') term }
    long Expression() {
        long value = Term();
        for (;;) {
            if (Accept("|")) value |= Term();
            else if (Accept("+")) value += Term();
            else return value;
        }
    }

private:
    long Term() {
        if (Accept("NOT")) return ~Term();
        if (Accept("-")) return -Term();
        if (Accept("(")) {
            const long value = Expression();
            Expect(")");
            return value;
        }
        const Token token = Next();
        if (token.kind == Token::Number) return token.value;
        if (token.kind == Token::Name) {
            auto found = symbols_.find(token.text);
            if (found != symbols_.end()) return found->second;
        }
        throw std::runtime_error("unknown value " + token.text);
    }

    std::vector<Token> tokens_;
    size_t at_ = 0;
    const std::map<std::string, long>& symbols_;
};

// MENU items carry option words; MENUEX items carry id, type and state values.
std::vector<MenuTemplateItem> MenuItems(Parser& p, bool extended) {
    std::vector<MenuTemplateItem> items;
    p.BlockStart();
    while (!p.AtBlockEnd()) {
        MenuTemplateItem item;
        const bool popup = p.Accept("POPUP");
        if (!popup) p.Expect("MENUITEM");
        item.isPopup = popup;
        if (p.Accept("SEPARATOR")) {
            item.type = MFT_SEPARATOR;
            items.push_back(item);
            continue;
        }
        item.text = p.String();
        if (extended) {
            long values[4] = {0, 0, 0, 0};  // id, type, state, and a popup's help id
            for (long& value : values) {
                if (!p.AcceptComma()) break;
                value = p.Expression();
            }
            item.id = UINT(values[0]), item.type = UINT(values[1]), item.state = UINT(values[2]);
        } else {
            if (!popup) {
                p.Expect(",");
                item.id = UINT(p.Expression());
            }
            // Options follow, with or without commas: CHECKED, GRAYED, HELP, ...
            for (;;) {
                p.AcceptComma();
                if (p.Accept("CHECKED")) item.state |= MFS_CHECKED;
                else if (p.Accept("GRAYED")) item.state |= MF_GRAYED;
                else if (p.Accept("HELP")) item.type |= MFT_RIGHTJUSTIFY;
                else if (!p.Accept("INACTIVE") && !p.Accept("MENUBARBREAK") && !p.Accept("MENUBREAK")) break;
            }
        }
        if (item.text.empty() && !popup) item.type |= MFT_SEPARATOR;
        if (popup) item.popup = MenuItems(p, extended);
        items.push_back(item);
    }
    p.BlockEnd();
    return items;
}

std::vector<ACCEL> AcceleratorEntries(Parser& p) {
    std::vector<ACCEL> entries;
    p.BlockStart();
    while (!p.AtBlockEnd()) {
        ACCEL entry = {};
        bool character = false;
        if (p.Peek().kind == Token::String) {
            const std::string key = p.String();
            if (key.size() == 2 && key[0] == '^') entry.key = WORD(std::toupper(static_cast<unsigned char>(key[1])) - '@');
            else if (key.size() == 1) entry.key = WORD(static_cast<unsigned char>(key[0]));
            else throw std::runtime_error("bad accelerator key \"" + key + "\"");
            character = true;
        } else {
            entry.key = WORD(p.Expression());
        }
        p.Expect(",");
        entry.cmd = WORD(p.Expression());
        bool virtualKey = false;
        while (p.AcceptComma()) {
            const std::string option = p.Next().text;
            if (option == "VIRTKEY") virtualKey = true;
            else if (option == "ASCII") virtualKey = false;
            else if (option == "NOINVERT") entry.fVirt |= FNOINVERT;
            else if (option == "ALT") entry.fVirt |= FALT;
            else if (option == "SHIFT") entry.fVirt |= FSHIFT;
            else if (option == "CONTROL") entry.fVirt |= FCONTROL;
            else throw std::runtime_error("unknown accelerator option " + option);
        }
        if (virtualKey) entry.fVirt |= FVIRTKEY;
        else if (!character) throw std::runtime_error("a numeric accelerator key needs VIRTKEY");
        entries.push_back(entry);
    }
    p.BlockEnd();
    return entries;
}

void ControlBox(Parser& p, DialogControlTemplate* c, bool sizeOptional = false) {
    c->x = int(p.Expression());
    p.Expect(",");
    c->y = int(p.Expression());
    if (sizeOptional && !p.AcceptComma()) return;
    if (!sizeOptional) p.Expect(",");
    c->cx = int(p.Expression());
    p.Expect(",");
    c->cy = int(p.Expression());
}

void ControlStyles(Parser& p, DialogControlTemplate* c) {
    if (p.AcceptComma()) c->style |= DWORD(p.Expression());
    if (p.AcceptComma()) c->exStyle = DWORD(p.Expression());
}

DialogControlTemplate DialogControl(Parser& p) {
    DialogControlTemplate c;
    const std::string kind = p.Next().text;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    if (kind == "LTEXT" || kind == "CTEXT" || kind == "RTEXT") {
        c.className = "Static";
        c.style = child | WS_GROUP | (kind == "LTEXT" ? SS_LEFT : kind == "CTEXT" ? SS_CENTER : SS_RIGHT);
    } else if (kind == "PUSHBUTTON" || kind == "DEFPUSHBUTTON") {
        c.className = "Button";
        c.style = child | WS_TABSTOP | (kind == "DEFPUSHBUTTON" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    } else if (kind == "EDITTEXT") {
        c.className = "Edit";
        c.style = child | WS_TABSTOP | WS_BORDER | ES_LEFT;
        c.id = int(p.Expression());
        p.Expect(",");
        ControlBox(p, &c);
        ControlStyles(p, &c);
        return c;
    } else if (kind == "ICON") {
        c.className = "Static";
        c.style = child | SS_ICON;
        c.text = p.Peek().kind == Token::String ? p.String() : "#" + std::to_string(p.Expression());
        p.Expect(",");
        c.id = int(p.Expression());
        p.Expect(",");
        ControlBox(p, &c, true);
        ControlStyles(p, &c);
        return c;
    } else {
        throw std::runtime_error("unknown dialog control " + kind);
    }
    c.text = p.String();
    p.Expect(",");
    c.id = int(p.Expression());
    p.Expect(",");
    ControlBox(p, &c);
    ControlStyles(p, &c);
    return c;
}

DialogTemplate Dialog(Parser& p) {
    DialogTemplate d;
    d.x = int(p.Expression());
    p.Expect(",");
    d.y = int(p.Expression());
    p.Expect(",");
    d.cx = int(p.Expression());
    p.Expect(",");
    d.cy = int(p.Expression());
    if (p.AcceptComma()) p.Expression();  // help id
    while (!p.AtBlockStart()) {
        const std::string option = p.Next().text;
        if (option == "STYLE") d.style = DWORD(p.Expression());
        else if (option == "EXSTYLE") d.exStyle = DWORD(p.Expression());
        else if (option == "CAPTION") d.caption = p.String();
        else if (option == "FONT") {
            d.fontSize = int(p.Expression());
            p.Expect(",");
            d.fontFace = p.String();
            while (p.AcceptComma()) p.Expression();  // weight, italic, charset
        } else {
            throw std::runtime_error("unknown dialog option " + option);
        }
    }
    p.BlockStart();
    while (!p.AtBlockEnd()) d.controls.push_back(DialogControl(p));
    p.BlockEnd();
    return d;
}

std::vector<unsigned char> NamedFile(const ResourceBundle& bundle, const std::string& name) {
    for (size_t i = 0; i < bundle.fileCount; i++)
        if (name == bundle.files[i].name)
            return std::vector<unsigned char>(bundle.files[i].data, bundle.files[i].data + bundle.files[i].size);
    throw std::runtime_error("resource file not embedded: " + name);
}

// Handles #include and #define; every other directive is ignored.
std::string Preprocess(const std::string& text, const ResourceBundle& bundle,
                       std::map<std::string, long>* symbols) {
    std::string body;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] != '#') {
            body += line + '\n';
            continue;
        }
        const std::vector<Token> words = Tokenize(line.substr(first + 1));
        if (words[0].text == "include" && words[1].kind == Token::String && bundle.header &&
            words[1].text == bundle.headerName) {
            Preprocess(StripComments(bundle.header), bundle, symbols);
        } else if (words[0].text == "define" && words[1].kind == Token::Name && words.size() > 3) {
            Parser value(std::vector<Token>(words.begin() + 2, words.end()), *symbols);
            try {
                (*symbols)[words[1].text] = value.Expression();
            } catch (const std::runtime_error&) {
                // Not a number (a string or a macro with arguments): not a resource value.
            }
        }
    }
    return body;
}

void Statement(Parser& p, const ResourceBundle& bundle, ResourceTable* table) {
    if (p.Accept("LANGUAGE")) {
        p.Expression();
        p.Expect(",");
        p.Expression();
        return;
    }
    const int id = int(p.Expression());
    const std::string type = p.Next().text;
    if (type == "MENU" || type == "MENUEX") {
        table->menus[id] = MenuItems(p, type == "MENUEX");
    } else if (type == "ACCELERATORS") {
        table->accelerators[id] = AcceleratorEntries(p);
    } else if (type == "DIALOG" || type == "DIALOGEX") {
        table->dialogs[id] = Dialog(p);
    } else if (type == "BITMAP") {
        table->bitmaps[id] = NamedFile(bundle, p.String());
    } else if (type == "ICON") {
        table->icons[id] = NamedFile(bundle, p.String());
    } else {
        throw std::runtime_error("unsupported resource type " + type);
    }
}

}  // namespace

ResourceTable ParseResourceScript(const ResourceBundle& bundle) {
    ResourceTable table;
    std::map<std::string, long> symbols = kBuiltinSymbols;
    try {
        const std::string body = Preprocess(StripComments(bundle.script ? bundle.script : ""), bundle, &symbols);
        Parser parser(Tokenize(body), symbols);
        while (!parser.AtEnd()) Statement(parser, bundle, &table);
    } catch (const std::runtime_error& error) {
        table.error = error.what();
    }
    return table;
}
