#include "events/Lib_xml.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "events/Lib_cpp.h"

namespace {

// A calibration file is a few kilobytes, two levels deep. The parser
// recurses once per level and holds the whole document in memory, so a file
// far beyond these is refused before it is parsed.
constexpr long MAX_FILE_BYTES = 16L << 20;
constexpr int MAX_DEPTH = 256;

// Follows tags, quoted attribute values, comments and other declarations
// far enough to know how deep elements nest.
class Tdepth_scan {
public:
    // False once the nesting goes deeper than MAX_DEPTH.
    bool feed(char c)
    {
        switch (state) {
        case TEXT:
            if (c == '<') state = TAG_START;
            break;
        case TAG_START:
            if (c == '!' || c == '?') {
                begin_declaration();
            } else if (c == '/') {
                depth--;
                state = TAG;
            } else {
                state = TAG;
                if (++depth > MAX_DEPTH) return false;
            }
            break;
        case TAG:
            if (c == '"' || c == '\'') {
                quote = c;
                state = QUOTED;
            } else if (c == '>') {
                if (previous == '/') depth--;
                state = TEXT;
            }
            break;
        case QUOTED:
            if (c == quote) state = TAG;
            c = 0;
            break;
        case DECLARATION:
            declaration(c);
            break;
        }
        previous = c;
        return true;
    }

private:
    void begin_declaration()
    {
        state = DECLARATION;
        lead_length = 0;
        std::memset(last, 0, sizeof last);
        closer = ">";
    }

    // A comment ends with "-->", a CDATA section with "]]>", anything else
    // at the first '>'.
    void declaration(char c)
    {
        if (lead_length < 2) {
            lead[lead_length++] = c;
            if (lead_length == 1 && lead[0] == '[') closer = "]]>";
            if (lead_length == 2 && lead[0] == '-' && lead[1] == '-') closer = "-->";
        }
        last[0] = last[1];
        last[1] = last[2];
        last[2] = c;
        if (c == '>' && ends_with_closer()) state = TEXT;
    }

    bool ends_with_closer() const
    {
        size_t length = std::strlen(closer);
        return std::memcmp(last + sizeof last - length, closer, length) == 0;
    }

    enum { TEXT, TAG_START, TAG, QUOTED, DECLARATION } state = TEXT;
    int depth = 0;
    char quote = 0;
    char previous = 0;
    char lead[2] = {};
    int lead_length = 0;
    char last[3] = {};
    const char* closer = ">";
};

// The parser can look a few bytes past an entity cut off by the end of the
// text; the text handed to it is followed by this many zero bytes.
constexpr size_t PARSE_PADDING = 64;

// Reads the file into text when it is small and shallow enough to be parsed,
// with line ends made line feeds as the library's own file loading does.
bool read_to_parse(const char* path, std::string* text)
{
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    Tdepth_scan scan;
    bool fit = true;
    long total = 0;
    char chunk[4096];
    size_t got;
    while (fit && (got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        total += long(got);
        fit = total <= MAX_FILE_BYTES;
        for (size_t i = 0; fit && i < got; i++) fit = scan.feed(chunk[i]);
        if (fit) text->append(chunk, got);
    }
    // A directory opens but cannot be read; the library would then take
    // its reported size as the length of a file to allocate.
    if (ferror(file)) fit = false;
    fclose(file);
    if (!fit) return false;
    size_t kept = 0;
    for (size_t i = 0; i < text->size(); i++) {
        char c = (*text)[i];
        if (c == '\r') {
            c = '\n';
            if (i + 1 < text->size() && (*text)[i + 1] == '\n') i++;
        }
        (*text)[kept++] = c;
    }
    text->resize(kept);
    text->append(PARSE_PADDING, '\0');
    return true;
}

}  // namespace

myXMLdocument::myXMLdocument(const char* root_name) : document(new TiXmlDocument)
{
    if (!root_name) return;
    root = document->LinkEndChild(new TiXmlElement(root_name))->ToElement();
}

myXMLdocument::~myXMLdocument()
{
    delete document;
}

TiXmlElement* myXMLdocument::load(const char* path)
{
    document->ClearError();
    root = nullptr;
    std::string text;
    if (!path || !read_to_parse(path, &text)) return nullptr;
    // Parse adds to what the document holds: the old tree goes first.
    document->Clear();
    document->Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    if (document->Error()) return nullptr;
    root = document->FirstChildElement();
    return root;
}

bool myXMLdocument::is_named(const TiXmlElement* element, const char* name)
{
    return element && name && strcmp(element->Value(), name) == 0;
}

const char* myXMLdocument::attribute(const TiXmlElement* element, const char* name)
{
    if (!element || !name) return nullptr;
    return element->Attribute(name);
}

const char* myXMLdocument::attribute_text(const TiXmlElement* element, const char* name)
{
    const char* value = attribute(element, name);
    return value ? value : "";
}

int myXMLdocument::attribute_int(const TiXmlElement* element, const char* name)
{
    const char* value = attribute(element, name);
    if (!value) return 0;
    int number = 0;
    parse_int(value, &number, 0);
    return number;
}

// A malformed number yields what the parser read up to the fault.
float myXMLdocument::attribute_real(const TiXmlElement* element, const char* name)
{
    const char* value = attribute(element, name);
    if (!value) return 0;
    double number = 0;
    parse_real(value, &number);
    return float(number);
}

TiXmlElement* myXMLdocument::first_child_element(const TiXmlElement* element)
{
    return element ? const_cast<TiXmlElement*>(element->FirstChildElement()) : nullptr;
}

TiXmlElement* myXMLdocument::next_sibling_element(const TiXmlElement* element)
{
    return element ? const_cast<TiXmlElement*>(element->NextSiblingElement()) : nullptr;
}
