#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/constants.h"
#include "test_support.h"

using namespace skywave;

TEST(Constants, TableHas185ConstantsIn17GroupsInOrder) {
    int total = 0;
    for (const group_desc& g : const_groups) {
        EXPECT_EQ(g.recalc, 1);
        EXPECT_EQ(g.first, total);
        total += int(g.con.size());
    }
    EXPECT_EQ(total, 185);
    EXPECT_STREQ(const_groups[0].name, "SETUP");
    EXPECT_STREQ(const_groups[5].name, "G0 DAY");
    EXPECT_STREQ(const_groups[14].name, "MOF/LOF PATH");
    EXPECT_STREQ(const_groups[16].name, "DIDDLE");
    EXPECT_EQ(const_groups[0].con.size(), 14u);
    EXPECT_EQ(const_groups[5].con.size(), 29u);
    EXPECT_EQ(const_groups[10].con.size(), 23u);

    std::set<std::string> names;
    for (const const_desc& d : const_table)
        names.insert(d.name);
    EXPECT_EQ(names.size(), 185u) << "every name is unique";
}

TEST(Constants, SwitchesAreExactlyTheNineClassFourConstants) {
    std::set<std::string> switches;
    for (const const_desc& d : const_table)
        if (d.cons_type == 4) switches.insert(d.name);
    EXPECT_EQ(switches,
              (std::set<std::string>{"sp_flag", "lp_flag", "mlat_flag", "plr_flag", "te_magflag",
                                     "h_min_flag", "recalc_maxhop_flag", "bo_flag", "lp_bo_flag"}));
}

TEST(Constants, LegalGroupAndConstantIndices) {
    EXPECT_EQ(is_legal_group(16), 1);
    EXPECT_EQ(is_legal_group(17), 0);
    EXPECT_EQ(is_legal_group(-1), 0);
    EXPECT_EQ(is_legal_cons(0, 13), 1);  // lp_flag
    EXPECT_EQ(is_legal_cons(0, 14), 0);
    EXPECT_EQ(is_legal_cons(17, 0), 0);
    EXPECT_EQ(is_legal_cons(0, -1), 0);
}

TEST(Constants, SameNameIsExactAndCaseSensitive) {
    EXPECT_EQ(is_same_name(0, 9, "rlat"), 1);
    EXPECT_EQ(is_same_name(0, 9, "rla"), 0);
    EXPECT_EQ(is_same_name(0, 9, "RLAT"), 0);
    EXPECT_EQ(is_same_name(0, 9, "rlatx"), 0);
    EXPECT_EQ(is_same_name(0, 10, "rlat"), 0);
    EXPECT_EQ(is_same_name(17, 0, "rlat"), 0);
    EXPECT_EQ(is_same_name(14, 0, "maxhop"), 1);
}

TEST(Constants, InitRestoresDefaultsAndKeepsDiddleFlags) {
    Model m;
    m.consts.rlat = 0.1f;
    m.consts.sf_index = 77;
    m.consts.neg_limit = 5;
    m.diddle_flag[flat_index(0, 4)] = 1;
    init_consts(m.consts);
    EXPECT_FLOAT_EQ(m.consts.rlat, 0.7417649f);
    EXPECT_NEAR(double(m.consts.rlat) * 57.29578f, 42.5, 1e-5);
    EXPECT_EQ(m.consts.sf_index, 200.0f);
    EXPECT_EQ(m.consts.neg_limit, -0.2f);
    EXPECT_EQ(m.consts.maxhop, 0.62784f);
    EXPECT_EQ(m.diddle_flag[flat_index(0, 4)], 1);
}

TEST(Constants, DescriptorsReachTheirOwnMembers) {
    // Writing through each descriptor changes exactly that constant.
    for (int i = 0; i < kConstCount; ++i) {
        Constants c;
        c.*const_table[i].val = 12345.0f;
        int changed = 0;
        for (int j = 0; j < kConstCount; ++j)
            if (c.*const_table[j].val == 12345.0f) ++changed;
        EXPECT_EQ(changed, 1) << const_table[i].name;
    }
    EXPECT_EQ(find_constant("w_lof"), flat_index(16, 11));
    EXPECT_EQ(find_constant("nope"), -1);
}

TEST(Constants, AnglesAreShownInDegrees) {
    Constants c;
    const const_desc& rlat = const_table[flat_index(0, 9)];
    EXPECT_EQ(rlat.scale_factor, 1);
    EXPECT_NEAR(shown_value(c, rlat), 42.5f, 1e-4);
    EXPECT_NEAR(shown_value(c, const_table[find_constant("maxhop")]), 35.97f, 0.003);
    EXPECT_EQ(shown_value(c, const_table[find_constant("sf_index")]), 200.0f);
}
