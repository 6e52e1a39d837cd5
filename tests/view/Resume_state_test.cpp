// The state kept beside the journal for a start after a crash: what it
// writes, what it refuses to trust, and which journal it takes up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/Log_capture.h"
#include "support/Temp_dir.h"
#include "view/Resume_state.h"

namespace {

TEST(Resume_state, WrittenStatesReadBackTheSame)
{
    const Tresume_state states[] = {
        {true, 0xF, "/data/constants.dat"},
        {false, 0x0, ""},
        {true, 0x9, "C:\\cal files\\zeta 1234.dat"},
        {false, 0x6, "/a path/with = signs=.dat"},
    };
    for (const Tresume_state& state : states) {
        Tresume_state read;
        std::string error;
        ASSERT_TRUE(parse_resume_text(resume_text(state), &read, &error)) << resume_text(state) << error;
        EXPECT_EQ(read, state) << resume_text(state);
    }
    EXPECT_EQ(resume_text({true, 0xB, "/c.dat"}), "lumo2 resume 1\nmeasuring=1\nlamps=ABT\nconstants=/c.dat\n");
    EXPECT_EQ(resume_text({false, 0, ""}), "lumo2 resume 1\nmeasuring=0\nlamps=-\nconstants=\n");
}

TEST(Resume_state, AnythingElseIsNotTrusted)
{
    const char* const damaged[] = {
        "",
        "\n\n\n\n",
        "lumo2 resume 2\nmeasuring=1\nlamps=ABCT\nconstants=\n",
        "lumo2 resume 1\nmeasuring=yes\nlamps=ABCT\nconstants=\n",
        "lumo2 resume 1\nmeasuring=\nlamps=ABCT\nconstants=\n",
        "lumo2 resume 1\nlamps=ABCT\nmeasuring=1\nconstants=\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=TA\nconstants=\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=AAB\nconstants=\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=ABX\nconstants=\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=\nconstants=\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=ABCT\n",
        "lumo2 resume 1\nmeasuring=1\nlamps=ABCT\nconstants=/c.dat",           // cut short
        "lumo2 resume 1\nmeasuring=1\nlamps=ABCT\nconstants=/c.dat\nextra\n",
        "lumo2 resume 1\r\nmeasuring=1\r\nlamps=ABCT\r\nconstants=\r\n",
    };
    for (const char* text : damaged) {
        Tresume_state state{true, 0x3, "kept"};
        std::string error;
        EXPECT_FALSE(parse_resume_text(text, &state, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(state, (Tresume_state{true, 0x3, "kept"})) << text;
    }
    Tresume_state state;
    std::string error;
    EXPECT_FALSE(parse_resume_text(std::string(100000, 'x'), &state, &error));
    // The zeros a power failure leaves after the last line.
    EXPECT_FALSE(parse_resume_text(resume_text(state) + std::string(3, '\0'), &state, &error));
}

TEST(Resume_state, KeeperWritesBesideTheJournalOnlyWhenSomethingChanged)
{
    Ttemp_dir dir;
    Log_capture log;
    Tresume_keeper keeper;
    const std::string journal = dir.file("lumo2-20261208-101500.csv");
    keeper.keep({true, 0xF, "/c.dat"}, "");
    EXPECT_EQ(dir.read("lumo2-20261208-101500.csv.resume"), "");

    keeper.keep({true, 0xF, "/c.dat"}, journal);
    EXPECT_EQ(dir.read("lumo2-20261208-101500.csv.resume"), resume_text({true, 0xF, "/c.dat"}));
    dir.write("lumo2-20261208-101500.csv.resume", "touched");
    keeper.keep({true, 0xF, "/c.dat"}, journal);
    EXPECT_EQ(dir.read("lumo2-20261208-101500.csv.resume"), "touched");
    keeper.keep({false, 0xF, "/c.dat"}, journal);
    EXPECT_EQ(dir.read("lumo2-20261208-101500.csv.resume"), resume_text({false, 0xF, "/c.dat"}));

    // A new journal gets the same state; a path the lines cannot hold is left out.
    const std::string next = dir.file("lumo2-20261208-111500.csv");
    keeper.keep({false, 0xF, "/two\nlines.dat"}, next);
    EXPECT_EQ(dir.read("lumo2-20261208-111500.csv.resume"), resume_text({false, 0xF, ""}));
    EXPECT_TRUE(log.lines().empty());

    // A folder that is gone: said once, tried again with the next change.
    const std::string lost = dir.file("gone/lumo2-20261208-121500.csv");
    keeper.keep({true, 0x1, ""}, lost);
    keeper.keep({true, 0x3, ""}, lost);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("ERROR : unable to write \"" + lost + ".resume\": ", 0), 0u) << log.lines()[0];
}

TEST(Resume_state, PlanTakesTheNewestJournalLeftOpen)
{
    Ttemp_dir dir;
    const std::string older = dir.file("a.csv");
    const std::string newer = dir.file("b.csv");
    dir.write("a.csv.resume", resume_text({true, 0xF, "/old.dat"}));
    dir.write("b.csv.resume", resume_text({false, 0x5, "/new.dat"}));
    Tresume_plan plan;
    std::string error;
    ASSERT_TRUE(find_resume_plan({older, newer}, &plan, &error)) << error;
    EXPECT_EQ(plan.journal, newer);
    EXPECT_EQ(plan.state, (Tresume_state{false, 0x5, "/new.dat"}));

    EXPECT_FALSE(find_resume_plan({}, &plan, &error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(find_resume_plan({newer, dir.file("c.csv")}, &plan, &error));
    EXPECT_EQ(error, "\"" + dir.file("c.csv") + ".resume\" cannot be read");
    dir.write("a.csv.resume", "lumo2 resume 1\nmeasuring=2\nlamps=A\nconstants=\n");
    EXPECT_FALSE(find_resume_plan({older}, &plan, &error));
    EXPECT_EQ(error.rfind("\"" + older + ".resume\": line 2", 0), 0u) << error;
}

}  // namespace
