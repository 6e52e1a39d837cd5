#include "events/Lib_xml.h"

#include <tinyxml.h>

#include <cstring>

#include "events/Lib_cpp.h"

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
    if (!path || !document->LoadFile(path)) return nullptr;
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
