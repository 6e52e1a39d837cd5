#include <gtest/gtest.h>

#include "view/Codes.h"

namespace {

struct Tcode_table {
    const char* name;
    const char* (*to_name)(unsigned char);
    unsigned char (*to_code)(const char*);
    unsigned char count;
    const char* undefined;
};

const Tcode_table TABLES[] = {
    {"tracer", tracer_name, tracer_code, TRACER_CODE_COUNT, "XXXXXX_traceur_undefined"},
    {"concentration", concentration_name, concentration_code, CONCENTRATION_CODE_COUNT,
     "XXXXXX_concentration_undefined"},
    {"configuration", configuration_name, configuration_code, CONFIGURATION_CODE_COUNT,
     "XXXXXX_configuration_undefined"},
    {"model", model_name, model_code, MODEL_CODE_COUNT, "XXXXXX_model_undefined"},
};

TEST(Codes, EveryListedCodeRoundTripsAndOthersAreUndefined)
{
    for (const Tcode_table& table : TABLES) {
        SCOPED_TRACE(table.name);
        for (int code = 1; code <= table.count; code++)
            EXPECT_EQ(table.to_code(table.to_name((unsigned char)code)), code);
        for (int code : {0, table.count + 1, 255}) EXPECT_STREQ(table.to_name((unsigned char)code), table.undefined);
        EXPECT_EQ(table.to_code(table.undefined), 0);
        EXPECT_EQ(table.to_code(nullptr), 0);
        EXPECT_EQ(table.to_code(""), 0);
    }
}

TEST(Codes, NamesAsShown)
{
    EXPECT_STREQ(tracer_name(1), "Water");
    EXPECT_STREQ(tracer_name(4), "SulforhodamineB");
    EXPECT_STREQ(concentration_name(6), "100 ppb");
    EXPECT_STREQ(configuration_name(2), "I,II,V");
    EXPECT_STREQ(model_name(1), "ZETA QX-1");
}

TEST(Codes, NameLookupIgnoresCaseButNotBlanks)
{
    EXPECT_EQ(tracer_code("URANINE"), 2);
    EXPECT_EQ(tracer_code("uranine"), 2);
    EXPECT_EQ(tracer_code("Uranine "), 0);
    EXPECT_EQ(model_code("zeta qx-2"), 2);
    EXPECT_EQ(concentration_code("10 NTU"), 3);
    EXPECT_EQ(configuration_code("i,ii,iii"), 1);
}

}  // namespace
