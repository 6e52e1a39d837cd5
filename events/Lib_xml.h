#pragma once

class TiXmlDocument;
class TiXmlElement;

// Owner of one parsed XML document, with a null-tolerant reading vocabulary.
class myXMLdocument {
public:
    explicit myXMLdocument(const char* root_name = nullptr);
    ~myXMLdocument();
    myXMLdocument(const myXMLdocument&) = delete;
    myXMLdocument& operator=(const myXMLdocument&) = delete;

    TiXmlElement* load(const char* path);
    TiXmlElement* root_element() const { return root; }

    static bool is_named(const TiXmlElement* element, const char* name);
    static const char* attribute(const TiXmlElement* element, const char* name);
    static const char* attribute_text(const TiXmlElement* element, const char* name);
    static int attribute_int(const TiXmlElement* element, const char* name);
    static float attribute_real(const TiXmlElement* element, const char* name);
    static TiXmlElement* first_child_element(const TiXmlElement* element);
    static TiXmlElement* next_sibling_element(const TiXmlElement* element);

private:
    TiXmlDocument* document;
    TiXmlElement* root = nullptr;
};
