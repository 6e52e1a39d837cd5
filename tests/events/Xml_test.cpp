#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "events/Lib_cpp.h"
#include "events/Lib_xml.h"
#include "support/Temp_dir.h"

namespace {

// Each test gets its own directory of files, removed afterwards.
class Xml_file_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(temp.path.empty());
        directory = temp.path;
    }
    std::string write(const char* name, const std::string& content)
    {
        std::string path = temp.file(name);
        FILE* file = fopen(path.c_str(), "wb");
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
        return path;
    }
    Ttemp_dir temp;
    std::string directory;
};

TEST_F(Xml_file_test, ReadsRootChildrenAndAttributes)
{
    std::string path = write("cal.xml",
                             "<?xml version=\"1.0\"?>\n"
                             "<!-- written by hand -->\n"
                             "<CALIBRATION serial=\"1234\" count=\"12\">\n"
                             "  <!-- first sample follows -->\n"
                             "  text\n"
                             "  <SAMPLE lamp=\"A\" value=\"3.25\" missing=\"3.4028235e38\" bad=\"2,5\" name=\"a&amp;b\"/>\n"
                             "  <OTHER/>\n"
                             "</CALIBRATION>\n");
    myXMLdocument document;
    TiXmlElement* root = document.load(path.c_str());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(document.root_element(), root);
    EXPECT_TRUE(myXMLdocument::is_named(root, "CALIBRATION"));
    EXPECT_EQ(myXMLdocument::attribute_int(root, "count"), 12);
    EXPECT_EQ(myXMLdocument::attribute_int(root, "absent"), 0);

    TiXmlElement* sample = myXMLdocument::first_child_element(root);
    ASSERT_NE(sample, nullptr);
    EXPECT_TRUE(myXMLdocument::is_named(sample, "SAMPLE"));
    EXPECT_FALSE(myXMLdocument::is_named(sample, "sample"));
    EXPECT_FLOAT_EQ(myXMLdocument::attribute_real(sample, "value"), 3.25f);
    EXPECT_FLOAT_EQ(myXMLdocument::attribute_real(sample, "bad"), 2.0f);
    EXPECT_TRUE(is_undefined(myXMLdocument::attribute_real(sample, "missing")));
    EXPECT_EQ(myXMLdocument::attribute_real(sample, "absent"), 0.0f);
    EXPECT_STREQ(myXMLdocument::attribute(sample, "name"), "a&b");
    EXPECT_EQ(myXMLdocument::attribute(sample, "absent"), nullptr);
    EXPECT_STREQ(myXMLdocument::attribute_text(sample, "absent"), "");

    TiXmlElement* other = myXMLdocument::next_sibling_element(sample);
    EXPECT_TRUE(myXMLdocument::is_named(other, "OTHER"));
    EXPECT_EQ(myXMLdocument::next_sibling_element(other), nullptr);
    EXPECT_EQ(myXMLdocument::first_child_element(other), nullptr);
}

TEST_F(Xml_file_test, FailedLoadsGiveNoRoot)
{
    std::string broken = write("broken.xml", "<CALIBRATION><SAMPLE></CALIBRATION>");
    std::string good = write("good.xml", "<ROOT/>");
    std::string other = write("other.xml", "<!-- another file -->\n<OTHER/>");
    myXMLdocument document("CONSTRUCTED");
    EXPECT_TRUE(myXMLdocument::is_named(document.load(good.c_str()), "ROOT"));
    EXPECT_EQ(document.load(broken.c_str()), nullptr);
    EXPECT_EQ(document.root_element(), nullptr);
    EXPECT_EQ(document.load((directory + "/missing.xml").c_str()), nullptr);
    EXPECT_EQ(document.load(nullptr), nullptr);
    EXPECT_EQ(document.load(directory.c_str()), nullptr);
    // Each load gives the root of the file just read, none of an earlier one.
    TiXmlElement* root = document.load(other.c_str());
    EXPECT_TRUE(myXMLdocument::is_named(root, "OTHER"));
    EXPECT_EQ(myXMLdocument::next_sibling_element(root), nullptr);
    EXPECT_TRUE(myXMLdocument::is_named(document.load(good.c_str()), "ROOT"));
}

TEST(Xml_document, NullTolerantAndNamedRoot)
{
    myXMLdocument document("CALIBRATION");
    EXPECT_TRUE(myXMLdocument::is_named(document.root_element(), "CALIBRATION"));
    EXPECT_FALSE(myXMLdocument::is_named(nullptr, "CALIBRATION"));
    EXPECT_FALSE(myXMLdocument::is_named(document.root_element(), nullptr));
    EXPECT_EQ(myXMLdocument::attribute(nullptr, "x"), nullptr);
    EXPECT_EQ(myXMLdocument::attribute(document.root_element(), nullptr), nullptr);
    EXPECT_STREQ(myXMLdocument::attribute_text(nullptr, "x"), "");
    EXPECT_EQ(myXMLdocument::attribute_int(nullptr, "x"), 0);
    EXPECT_EQ(myXMLdocument::first_child_element(nullptr), nullptr);
    EXPECT_EQ(myXMLdocument::next_sibling_element(nullptr), nullptr);
    EXPECT_EQ(myXMLdocument().root_element(), nullptr);
}

} // namespace
