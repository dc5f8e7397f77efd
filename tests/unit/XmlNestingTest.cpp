#include "Core/Scenegraph/model/XmlNesting.h"

#include <gtest/gtest.h>

#include <string>

using Vorm::XmlNesting;

namespace {

std::string Nested(int levels)
{
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        open += "<n a=\"1\">";
        close += "</n>";
    }
    return open + close;
}

// Counted as the XML library recurses: not into comments, CDATA, processing
// instructions, declarations or attribute values, not for a self-closing
// element, and up to where it stops with an error, however deep the rest.
TEST(XmlNesting, CountsTheLevelsTheLibraryWouldRecurseInto)
{
    const std::string deep = Nested(50);
    const std::pair<std::string, int> cases[] = {
        {"", 0},
        {"<a/>", 0},
        {"\xEF\xBB\xBF <a>\t<b >x</b\n><b><c/></b></a>\r\n", 2},
        {"<a><!-- <b><c> --><!--- <b> -- <c> ---></a>", 1},
        {"<a><![CDATA[<b><c>]]]></a>", 1},
        {"<?xml version='1.0'?><a><?pi <b><c> ?></a>", 1},
        {"<!DOCTYPE a [<!ELEMENT a (b)><!ATTLIST a x CDATA '>'>]><a><!ENTITY x><b></b></a>", 2},
        {"<a x='>' y=\"/>\" z='<c>'><b q=\"a/b\">1 > 0</b></a>", 2},
        // A quote opens a value only after '=': in a name it is one more letter.
        {"<a\"b>" + deep + "\"", 51},
        {"<a x\"y='1'>" + deep, 51},
        // Errors the library stops at.
        {"<a><!-- " + deep, 1},
        {"<a><![CDATA[" + deep, 1},
        {"<a x='" + deep, 0},
        {"<a><b x=1>" + deep, 1},
        {"x" + deep, 0},
        {"</a>" + deep, 0},
        {"<a><b></b x='1'>" + deep, 2},
        {"<a><b>" + std::string(1, '\0') + deep, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, XmlNesting::Depth(c.first, 1000)) << c.first.substr(0, 60);

    // At the limit; past it the count stops one level on.
    const int limit = XmlNesting::kSceneLimit;
    EXPECT_EQ(limit, XmlNesting::Depth(Nested(limit), limit));
    EXPECT_EQ(limit + 1, XmlNesting::Depth(Nested(limit + 1), limit));
    EXPECT_EQ(limit + 1, XmlNesting::Depth(Nested(100000), limit));
}

} // namespace
