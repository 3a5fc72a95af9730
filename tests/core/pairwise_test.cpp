// The pairwise comparisons after the Kruskal-Wallis test against R (tests/reference/pairwise.R
// made the reference values from the formulas with R's pnorm, pt and ptukey; rstatix's
// dunn_test agrees with its Dunn values to the last bit), on the examples and a heavily tied
// Likert item; the order of the pairs, the control group, heavy ties and groups without
// variance, progress and cancelling.

#include "core/base/failure.h"
#include "core/io/textreader.h"
#include "core/stats/analysis.h"
#include "core/stats/letters.h"
#include "core/stats/pairwise.h"
#include "core/stats/rankprofile.h"
#include "support/profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using kw::Adjustment;
using kw::Failure;
using kw::PairwiseMethod;
using kw::test::GroupValues;

struct Data {
    kw::RankProfile profile;
    double h = 0; // the test's statistic, corrected for ties
};

Data analysed(const kw::AnalysisOutcome& outcome) {
    return {kw::rankProfile(*outcome.cases), outcome.values.chiSquare};
}

// An example of the program, its groups as texts in their byte order (as R's levels).
Data example(const std::string& file, int groupColumn, int testColumn,
             const std::string& missing = "") {
    kw::AnalysisRequest request;
    request.groupColumn = groupColumn;
    request.testColumn = testColumn;
    request.groupMode = kw::GroupMode::texts;
    request.missingCode = missing;
    request.alpha = 1;
    return analysed(
        kw::analyse(kw::readTextFile(std::string(KW_EXAMPLES_DIR) + "/" + file), request));
}

// Five answers of a Likert item, heavily tied (as in the script).
const GroupValues likertItem = {
    {"a", {"1", "2", "2", "3", "3", "3", "4", "5", "2", "3"}},
    {"b", {"3", "4", "4", "5", "5", "4", "4", "5", "3", "4", "5", "5"}},
    {"c", {"1", "1", "2", "1", "2", "2", "3", "1"}},
    {"d", {"3", "3", "3", "3", "4", "3", "2", "3", "3"}},
};

Data dataNamed(const std::string& name) {
    if (name == "plantgrowth") {
        return example("plantgrowth.txt", 1, 2);
    }
    if (name == "insectsprays") {
        return example("insectsprays.txt", 1, 2);
    }
    if (name == "airquality") {
        return example("airquality.txt", 1, 3, "-99"); // Ozone by Month
    }
    return analysed(kw::test::analysedGroups(likertItem));
}

struct Expected {
    int first;
    int second;
    double statistic;
    double p;
    double adjusted; // Holm over the pairs compared; DSCF's p as it is
    double meanRankDifference;
    std::optional<double> r;
};

struct Reference {
    const char* data;
    PairwiseMethod method;
    std::optional<int> control;
    std::vector<Expected> pairs;
};

constexpr std::nullopt_t none = std::nullopt;

// The output of tests/reference/pairwise.R: first, second, statistic, p, p adjusted, mean rank
// difference, r.
const Reference references[] = {
    {"plantgrowth",
     PairwiseMethod::dunn,
     std::nullopt,
     {
         {0, 1, 1.1177254543787873, 0.26368426789138599, 0.26368426789138599, 4.4000000000000004,
          0.20406781482032443},
         {0, 2, -1.6892896071861212, 0.09116394404849984, 0.18232788809699968, -6.6499999999999986,
          -0.30842067467162659},
         {1, 2, -2.8070150615649085, 0.0050002903702577005, 0.015000871110773101,
          -11.049999999999999, -0.51248848949195103},
     }},
    {"plantgrowth",
     PairwiseMethod::conover,
     std::nullopt,
     {
         {0, 1, 1.2670264799351489, 0.21596624281807372, 0.21596624281807372, 4.4000000000000004,
          none},
         {0, 2, -1.9149377480838041, 0.066150559542472218, 0.13230111908494444, -6.6499999999999986,
          none},
         {1, 2, -3.1819642280189528, 0.0036611543928737065, 0.01098346317862112,
          -11.049999999999999, none},
     }},
    {"plantgrowth",
     PairwiseMethod::dscf,
     std::nullopt,
     {
         {0, 1, 1.8715324093017913, 0.38210628279904901, 0.38210628279904901, 4.4000000000000004,
          none},
         {0, 2, -2.6726124191242442, 0.14158648693770182, 0.14158648693770182, -6.6499999999999986,
          none},
         {1, 2, -3.6347528900089721, 0.027449730586347809, 0.027449730586347809,
          -11.049999999999999, none},
     }},
    {"insectsprays",
     PairwiseMethod::dunn,
     std::nullopt,
     {
         {0, 1, -0.31273384526703646, 0.75448287960551608, 1, -2.6666666666666714,
          -0.036856037115810994},
         {0, 2, 4.7740776066545942, 1.8053276005508887e-06, 2.3469258807161552e-05,
          40.708333333333329, 0.56263044159605113},
         {0, 3, 3.1175655200057637, 0.0018235140917074899, 0.012764598641952429, 26.583333333333332,
          0.36740861999824015},
         {0, 4, 3.8505354698503789, 0.00011785985881994377, 0.0011785985881994378,
          32.833333333333329, 0.45378995698842201},
         {0, 5, -0.40557670558068742, 0.68505364756428788, 1, -3.4583333333333357,
          -0.047797673134567328},
         {1, 2, 5.0868114519216308, 3.6413351689256215e-07, 5.0978692364958697e-06, 43.375,
          0.59948647871186211},
         {1, 3, 3.4302993652728002, 0.00060291566510473505, 0.0048233253208378804,
          29.250000000000004, 0.40426465711405118},
         {1, 4, 4.1632693151174154, 3.1372296669600999e-05, 0.00034509526336561096, 35.5,
          0.49064599410423299},
         {1, 5, -0.092842860313651007, 0.92602840043271339, 1, -0.7916666666666643,
          -0.010941636018756338},
         {2, 3, -1.6565120866488305, 0.097618159426562823, 0.58570895655937694, -14.124999999999998,
          -0.19522182159781098},
         {2, 4, -0.92354213680421515, 0.35572475219464628, 1, -7.8749999999999982,
          -0.10884048460762913},
         {2, 5, -5.1796543122352814, 2.2229745851851772e-07, 3.3344618777777657e-06,
          -44.166666666666664, -0.61042811473061842},
         {3, 4, 0.73296994984461539, 0.46357675763394141, 1, 6.25, 0.08638133699018187},
         {3, 5, -3.5231422255864513, 0.00042646244245968636, 0.0038381619821371772,
          -30.041666666666668, -0.41520629313280749},
         {4, 5, -4.2561121754310669, 2.0801237074855786e-05, 0.0002496148448982694,
          -36.291666666666671, -0.50158763012298946},
     }},
    {"insectsprays",
     PairwiseMethod::conover,
     std::nullopt,
     {
         {0, 1, -0.62912620432642485, 0.53143804169974929, 1, -2.6666666666666714, none},
         {0, 2, 9.6040047129205615, 3.724418259727148e-14, 4.8417437376452926e-13,
          40.708333333333329, none},
         {0, 3, 6.2716018493790369, 3.123271427035685e-08, 2.1862899989249796e-07,
          26.583333333333332, none},
         {0, 4, 7.7461163907690915, 7.5390581746227241e-11, 7.5390581746227246e-10,
          32.833333333333329, none},
         {0, 5, -0.8158980462358314, 0.41749337428635869, 1, -3.4583333333333357, none},
         {1, 2, 10.233130917246987, 2.9684730782485289e-15, 4.1558623095479404e-14, 43.375, none},
         {1, 3, 6.9007280537054614, 2.4313027716709013e-09, 1.9450422173367211e-08,
          29.250000000000004, none},
         {1, 4, 8.3752425950955161, 5.6445895224713832e-12, 6.2090484747185214e-11, 35.5, none},
         {1, 5, -0.18677184190940649, 0.8524124598579258, 1, -0.7916666666666643, none},
         {2, 3, -3.3324028635415255, 0.0014140712891477999, 0.0084844277348868, -14.124999999999998,
          none},
         {2, 4, -1.8578883221514697, 0.067646156243339334, 0.3382307812166967, -7.8749999999999982,
          none},
         {2, 5, -10.419902759156393, 1.4107221861108139e-15, 2.116083279166221e-14,
          -44.166666666666664, none},
         {3, 4, 1.4745145413900558, 0.14509742394435876, 0.58038969577743504, 6.25, none},
         {3, 5, -7.0874998956148678, 1.1318364419756689e-09, 1.0186527977781021e-08,
          -30.041666666666668, none},
         {4, 5, -8.5620144370049243, 2.6187216058137203e-12, 3.142465926976464e-11,
          -36.291666666666671, none},
     }},
    {"insectsprays",
     PairwiseMethod::dscf,
     std::nullopt,
     {
         {0, 1, -0.82115106088367451, 0.99232022239805828, 0.99232022239805828, -2.6666666666666714,
          none},
         {0, 2, 5.8634996934399828, 0.00048410631286099903, 0.00048410631286099903,
          40.708333333333329, none},
         {0, 3, 5.6285987884331155, 0.00097340742846485639, 0.00097340742846485639,
          26.583333333333332, none},
         {0, 4, 5.9032087663903523, 0.00042895168831380559, 0.00042895168831380559,
          32.833333333333329, none},
         {0, 5, -1.1468410296077789, 0.96563676633119655, 0.96563676633119655, -3.4583333333333357,
          none},
         {1, 2, 5.8634996934399828, 0.00048410631286099903, 0.00048410631286099903, 43.375, none},
         {1, 3, 5.6684355841652634, 0.00086645370588112058, 0.00086645370588112058,
          29.250000000000004, none},
         {1, 4, 5.9032087663903523, 0.00042895168831380559, 0.00042895168831380559, 35.5, none},
         {1, 5, -0.20483786819706695, 0.99999117694249184, 0.99999117694249184, -0.7916666666666643,
          none},
         {2, 3, -4.2917447506335415, 0.029058266569287783, 0.029058266569287783,
          -14.124999999999998, none},
         {2, 4, -2.782858140463325, 0.36098379617863097, 0.36098379617863097, -7.8749999999999982,
          none},
         {2, 5, -5.8993306040755291, 0.00043406501276210818, 0.00043406501276210818,
          -44.166666666666664, none},
         {3, 4, 1.9623367446667908, 0.7346225193036956, 0.7346225193036956, 6.25, none},
         {3, 5, -5.6646969211769145, 0.00087600185729519442, 0.00087600185729519442,
          -30.041666666666668, none},
         {4, 5, -5.8993306040755291, 0.00043406501276210818, 0.00043406501276210818,
          -36.291666666666671, none},
     }},
    {"airquality",
     PairwiseMethod::dunn,
     std::nullopt,
     {
         {0, 1, -0.92515861626872664, 0.35488340642579086, 1, -12.029914529914528,
          -0.085898821057717276},
         {0, 2, -4.4194706406115563, 9.8942961500004651e-06, 9.8942961500004644e-05,
          -41.211538461538467, -0.41033754758595753},
         {0, 3, -4.1328134222051123, 3.5834961433141897e-05, 0.00032251465289827709,
          -38.538461538461533, -0.38372209302951871},
         {0, 4, -1.3212022825201664, 0.1864339254627953, 0.74573570185118121, -11.9973474801061,
          -0.12267055232643756},
         {1, 2, -2.2442080323946723, 0.024819019470422133, 0.1489141168225328, -29.181623931623939,
          -0.20836948475759243},
         {1, 3, -2.0386354872877126, 0.041486420725049787, 0.20743210362524894, -26.508547008547005,
          -0.18928255311581535},
         {1, 4, 0.0025385552695226092, 0.99797452811914888, 1, 0.032567049808427839,
          0.00023569893962756898},
         {2, 3, 0.28665721840644365, 0.77437479811301979, 1, 2.673076923076934,
          0.026615454556438788},
         {2, 4, 3.2171991242773572, 0.0012944872164508631, 0.010355897731606905, 29.214190981432367,
          0.2987094396827995},
         {3, 4, 2.9228277777795233, 0.003468683161149384, 0.024280782128045686, 26.541114058355433,
          0.27137774631402478},
     }},
    {"airquality",
     PairwiseMethod::conover,
     std::nullopt,
     {
         {0, 1, -1.0526951054033327, 0.29476696960423981, 0.88430090881271939, -12.029914529914528,
          none},
         {0, 2, -5.0287107854099773, 1.9125344613351212e-06, 1.9125344613351212e-05,
          -41.211538461538467, none},
         {0, 3, -4.7025368240604717, 7.4400552966120937e-06, 6.6960497669508843e-05,
          -38.538461538461533, none},
         {0, 4, -1.5033348353453635, 0.13559258814683578, 0.54237035258734312, -11.9973474801061,
          none},
         {1, 2, -2.5535802938709273, 0.012018878935355063, 0.07211327361213038, -29.181623931623939,
          none},
         {1, 3, -2.3196688237360119, 0.022187941415830588, 0.11093970707915293, -26.508547008547005,
          none},
         {1, 4, 0.0028885043710667564, 0.99770049502394853, 1, 0.032567049808427839, none},
         {2, 3, 0.32617396134950516, 0.74490689204131055, 1, 2.673076923076934, none},
         {2, 4, 3.6607017560877737, 0.00038673272094208412, 0.0030938617675366729,
          29.214190981432367, none},
         {3, 4, 3.3257502459574848, 0.0011959383094851794, 0.0083715681663962555,
          26.541114058355433, none},
     }},
    {"airquality",
     PairwiseMethod::dscf,
     std::nullopt,
     {
         {0, 1, -1.869733659874294, 0.67741024336583866, 0.67741024336583866, -12.029914529914528,
          none},
         {0, 2, -5.9155047163957795, 0.00027830122786798306, 0.00027830122786798306,
          -41.211538461538467, none},
         {0, 3, -5.44986225003949, 0.0011010707271089659, 0.0011010707271089659,
          -38.538461538461533, none},
         {0, 4, -2.219102559821557, 0.51731214782744694, 0.51731214782744694, -11.9973474801061,
          none},
         {1, 2, -3.4968660709907704, 0.096860146526612012, 0.096860146526612012,
          -29.181623931623939, none},
         {1, 3, -3.1769876359108591, 0.16273858754899218, 0.16273858754899218, -26.508547008547005,
          none},
         {1, 4, 0.097247374695395225, 0.99999494549487933, 0.99999494549487933,
          0.032567049808427839, none},
         {2, 3, 0.25886212187088753, 0.99974960987818007, 0.99974960987818007, 2.673076923076934,
          none},
         {2, 4, 4.7816893919177232, 0.0064834573866923151, 0.0064834573866923151,
          29.214190981432367, none},
         {3, 4, 4.174297854009736, 0.026243193840663759, 0.026243193840663759, 26.541114058355433,
          none},
     }},
    {"likert",
     PairwiseMethod::dunn,
     std::nullopt,
     {
         {0, 1, -2.8584411763660511, 0.0042572803354615947, 0.021286401677307974,
          -13.508333333333333, -0.45771690833193723},
         {0, 2, 1.936367639336682, 0.052822689956075343, 0.10564537991215069, 10.137499999999999,
          0.31006697517489767},
         {0, 3, -0.40424673715162107, 0.68603128836005556, 0.68603128836005556, -2.0500000000000007,
          -0.064731283701819409},
         {1, 2, 4.6937877885091144, 2.6819224782959056e-06, 1.6091534869775433e-05,
          23.645833333333332, 0.75160757292682723},
         {1, 3, 2.3543546863103786, 0.018554896878864812, 0.074219587515459248, 11.458333333333332,
          0.37699846932123598},
         {2, 3, -2.2725038316244524, 0.02305609683521205, 0.074219587515459248, -12.1875,
          -0.36389184307301015},
     }},
    {"likert",
     PairwiseMethod::conover,
     std::nullopt,
     {
         {0, 1, -4.3595631504176238, 0.00010902990913481541, 0.00054514954567407709,
          -13.508333333333333, none},
         {0, 2, 2.953258956633614, 0.0055866338498721854, 0.011173267699744371, 10.137499999999999,
          none},
         {0, 3, -0.61653855028888016, 0.54152892222273297, 0.54152892222273297, -2.0500000000000007,
          none},
         {1, 2, 7.1587494778112237, 2.3864700666224324e-08, 1.4318820399734595e-07,
          23.645833333333332, none},
         {1, 3, 3.5907535961612425, 0.0010011001288675559, 0.0040044005154702238,
          11.458333333333332, none},
         {2, 3, -3.4659184332517174, 0.0014162493315054289, 0.0042487479945162868, -12.1875, none},
     }},
    {"likert",
     PairwiseMethod::dscf,
     std::nullopt,
     {
         {0, 1, -4.0429106289640657, 0.022105140994460926, 0.022105140994460926,
          -13.508333333333333, none},
         {0, 2, 3.2051107468118571, 0.10597226795798709, 0.10597226795798709, 10.137499999999999,
          none},
         {0, 3, -1.0344984382307545, 0.88447323600842676, 0.88447323600842676, -2.0500000000000007,
          none},
         {1, 2, 5.2437319075881721, 0.001196807812135714, 0.001196807812135714, 23.645833333333332,
          none},
         {1, 3, 4.5369643578108025, 0.0073079014886339166, 0.0073079014886339166,
          11.458333333333332, none},
         {2, 3, -4.3704832221970165, 0.010769172221990031, 0.010769172221990031, -12.1875, none},
     }},
    {"plantgrowth",
     PairwiseMethod::dunn,
     0,
     {
         {0, 1, 1.1177254543787873, 0.26368426789138599, 0.26368426789138599, 4.4000000000000004,
          0.20406781482032443},
         {0, 2, -1.6892896071861212, 0.09116394404849984, 0.18232788809699968, -6.6499999999999986,
          -0.30842067467162659},
     }},
    {"insectsprays",
     PairwiseMethod::dunn,
     2,
     {
         {2, 0, -4.7740776066545942, 1.8053276005508887e-06, 5.4159828016526661e-06,
          -40.708333333333329, -0.56263044159605113},
         {2, 1, -5.0868114519216308, 3.6413351689256215e-07, 1.4565340675702486e-06, -43.375,
          -0.59948647871186211},
         {2, 3, -1.6565120866488305, 0.097618159426562823, 0.19523631885312565, -14.124999999999998,
          -0.19522182159781098},
         {2, 4, -0.92354213680421515, 0.35572475219464628, 0.35572475219464628, -7.8749999999999982,
          -0.10884048460762913},
         {2, 5, -5.1796543122352814, 2.2229745851851772e-07, 1.1114872925925886e-06,
          -44.166666666666664, -0.61042811473061842},
     }},
    {"insectsprays",
     PairwiseMethod::conover,
     2,
     {
         {2, 0, -9.6040047129205615, 3.724418259727148e-14, 1.1173254779181445e-13,
          -40.708333333333329, none},
         {2, 1, -10.233130917246987, 2.9684730782485289e-15, 1.1873892312994116e-14, -43.375, none},
         {2, 3, -3.3324028635415255, 0.0014140712891477999, 0.0028281425782955998,
          -14.124999999999998, none},
         {2, 4, -1.8578883221514697, 0.067646156243339334, 0.067646156243339334,
          -7.8749999999999982, none},
         {2, 5, -10.419902759156393, 1.4107221861108139e-15, 7.0536109305540696e-15,
          -44.166666666666664, none},
     }},
};

// Relative difference, absolute where the reference is tiny.
double difference(double value, double reference) {
    return std::fabs(value - reference) / std::max(std::fabs(reference), 1e-300);
}

TEST(Pairwise, AgreesWithR) {
    double largest = 0;
    auto near = [&](double value, double reference, const char* what) {
        const double d = difference(value, reference);
        largest = std::max(largest, d);
        EXPECT_LE(d, 1e-9) << what << ": " << value << " against " << reference;
    };
    for (const Reference& ref : references) {
        SCOPED_TRACE(std::string(ref.data) + ", " + kw::pairwiseMethodName(ref.method));
        const Data data = dataNamed(ref.data);
        const kw::PairwiseComparisons out =
            kw::comparePairs(data.profile, ref.method, Adjustment::holm, ref.control);
        EXPECT_EQ(out.method, ref.method);
        EXPECT_EQ(out.control, ref.control);
        EXPECT_EQ(out.adjustment,
                  ref.method == PairwiseMethod::dscf ? Adjustment::none : Adjustment::holm);
        ASSERT_EQ(out.pairs.size(), ref.pairs.size());
        const double errorDf =
            static_cast<double>(data.profile.caseCount) - data.profile.groupCount();
        for (std::size_t i = 0; i < ref.pairs.size(); ++i) {
            const kw::PairComparison& c = out.pairs[i];
            const Expected& e = ref.pairs[i];
            SCOPED_TRACE(std::to_string(e.first) + " " + std::to_string(e.second));
            EXPECT_EQ(c.first, e.first);
            EXPECT_EQ(c.second, e.second);
            near(c.statistic, e.statistic, "statistic");
            near(c.p, e.p, "p");
            near(c.pAdjusted, e.adjusted, "adjusted p");
            near(c.meanRankDifference, e.meanRankDifference, "mean rank difference");
            ASSERT_EQ(c.r.has_value(), e.r.has_value());
            if (e.r) {
                near(*c.r, *e.r, "r");
            }
            EXPECT_EQ(c.df, ref.method == PairwiseMethod::conover ? std::optional(errorDf)
                                                                  : std::nullopt);
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", largest);
    RecordProperty("largestRelativeDifference", text);
}

TEST(Pairwise, OrderOfThePairsAndTheFamily) {
    const Data data = dataNamed("insectsprays");
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        const auto all =
            kw::comparePairs(data.profile, method, Adjustment::bonferroni, std::nullopt);
        ASSERT_EQ(all.pairs.size(), 15u); // 6 * 5 / 2
        std::size_t at = 0;
        for (int i = 0; i < 6; ++i) {
            for (int j = i + 1; j < 6; ++j) {
                EXPECT_EQ(all.pairs[at].first, i);
                EXPECT_EQ(all.pairs[at].second, j);
                if (method != PairwiseMethod::dscf) {
                    EXPECT_EQ(all.pairs[at].pAdjusted, std::min(1.0, 15 * all.pairs[at].p));
                }
                ++at;
            }
        }
    }
    // Against a control: the control first, the others in their order, a family of k - 1.
    for (const PairwiseMethod method : {PairwiseMethod::dunn, PairwiseMethod::conover}) {
        const auto against = kw::comparePairs(data.profile, method, Adjustment::bonferroni, 3);
        ASSERT_EQ(against.pairs.size(), 5u);
        const int others[] = {0, 1, 2, 4, 5};
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(against.pairs[i].first, 3);
            EXPECT_EQ(against.pairs[i].second, others[i]);
            EXPECT_EQ(against.pairs[i].pAdjusted, std::min(1.0, 5 * against.pairs[i].p));
        }
    }
}

Failure refusal(const Data& data, PairwiseMethod method, std::optional<int> control) {
    try {
        kw::comparePairs(data.profile, method, Adjustment::holm, control);
    } catch (const Failure& f) {
        return f;
    }
    ADD_FAILURE() << "not refused";
    return Failure(Failure::Reason::unexpected, "none");
}

TEST(Pairwise, ControlGroupRefusals) {
    const Data data = dataNamed("plantgrowth");
    // DSCF's p holds for the family of all pairs, not for k - 1 comparisons with a control.
    const Failure dscf = refusal(data, PairwiseMethod::dscf, 0);
    EXPECT_EQ(dscf.reason(), Failure::Reason::refusal);
    EXPECT_NE(dscf.message().find("control"), std::string::npos);
    EXPECT_EQ(refusal(data, PairwiseMethod::dunn, 3).reason(), Failure::Reason::refusal);
    EXPECT_EQ(refusal(data, PairwiseMethod::conover, -1).reason(), Failure::Reason::refusal);
}

// Every number of every pair is a number, every p within [0, 1].
void expectNumbers(const kw::PairwiseComparisons& out) {
    for (const kw::PairComparison& c : out.pairs) {
        SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.second));
        EXPECT_TRUE(std::isfinite(c.statistic));
        EXPECT_TRUE(std::isfinite(c.meanRankDifference));
        EXPECT_TRUE(c.p >= 0 && c.p <= 1) << c.p;
        EXPECT_TRUE(c.pAdjusted >= c.p && c.pAdjusted <= 1) << c.pAdjusted;
    }
}

TEST(Pairwise, HeavyTiesGiveNumbers) {
    // A Likert item: five values, groups that hold one value only, two that hold the same one,
    // a group of one case.
    const GroupValues groups = {
        {"a", {"3", "3", "3", "3"}},
        {"b", {"3", "3", "3"}},
        {"c", {"1", "2", "2", "3", "4", "5", "5"}},
        {"d", {"5", "5", "5", "5", "5"}},
        {"e", {"4"}},
    };
    const Data data = analysed(kw::test::analysedGroups(groups));
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        for (const Adjustment adjustment :
             {Adjustment::holm, Adjustment::hommel, Adjustment::benjaminiYekutieli}) {
            SCOPED_TRACE(std::string(kw::pairwiseMethodName(method)) + " " +
                         kw::adjustmentName(adjustment));
            const auto out = kw::comparePairs(data.profile, method, adjustment, {});
            ASSERT_EQ(out.pairs.size(), 10u);
            expectNumbers(out);
            // a and b hold the same values: nothing tells them apart.
            EXPECT_EQ(out.pairs[0].statistic, 0);
            EXPECT_EQ(out.pairs[0].p, 1);
        }
    }
}

TEST(Pairwise, GroupsWithoutVariance) {
    // Every group constant: H = N - 1. Conover-Iman has no variance within the groups and is
    // refused; Dunn and DSCF still compare (two groups share their value).
    const Data constant = analysed(
        kw::test::analysedGroups({{"a", {"1", "1"}}, {"b", {"2", "2", "2"}}, {"c", {"2", "2"}}}));
    EXPECT_NEAR(constant.h, 6, 1e-12); // N - 1
    const Failure conover = refusal(constant, PairwiseMethod::conover, std::nullopt);
    EXPECT_EQ(conover.reason(), Failure::Reason::noStatistic);
    EXPECT_EQ(refusal(constant, PairwiseMethod::conover, 0).reason(), Failure::Reason::noStatistic);
    for (const PairwiseMethod method : {PairwiseMethod::dunn, PairwiseMethod::dscf}) {
        const auto out = kw::comparePairs(constant.profile, method, Adjustment::holm, std::nullopt);
        expectNumbers(out);
        EXPECT_LT(out.pairs[0].statistic, 0); // a below b
        EXPECT_EQ(out.pairs[2].statistic, 0); // b and c alike
        EXPECT_EQ(out.pairs[2].p, 1);
    }
    // One case a group: no degree of freedom within the groups either.
    const Data single =
        analysed(kw::test::analysedGroups({{"a", {"1"}}, {"b", {"2"}}, {"c", {"3"}}}));
    EXPECT_EQ(refusal(single, PairwiseMethod::conover, std::nullopt).reason(),
              Failure::Reason::noStatistic);
    // Nearly constant groups: Conover-Iman's variance is the small sum of squares within the
    // groups, not the difference of H and N - 1, which keeps few of its digits.
    const Data nearly = analysed(kw::test::analysedGroups(
        {{"a", std::vector<std::string>(2000, "1")}, {"b", [] {
                                                          std::vector<std::string> v(2000, "2");
                                                          v[0] = "3";
                                                          return v;
                                                      }()}}));
    const auto conoverNearly =
        kw::comparePairs(nearly.profile, PairwiseMethod::conover, Adjustment::none, {});
    // Ranks: a 1000.5 each; b 3000 each but one of 4000. Within: 1999 (3000 - 3000.5)^2 +
    // (4000 - 3000.5)^2 = 1999 * 0.25 + 999.5^2 = 999500, over N - k = 3998.
    const double meanB = (1999 * 3000.0 + 4000) / 2000;
    const double t = (1000.5 - meanB) / std::sqrt(999500.0 / 3998 * (2.0 / 2000));
    EXPECT_NEAR(conoverNearly.pairs[0].statistic, t, 1e-12 * std::fabs(t));
    // All values tied: no statistic at all.
    const Data tied = analysed(kw::test::analysedGroups({{"a", {"4", "4"}}, {"b", {"4"}}}));
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        EXPECT_EQ(refusal(tied, method, std::nullopt).reason(), Failure::Reason::noStatistic);
    }
}

TEST(Pairwise, TwoSidedAndSignedByTheFirstGroup) {
    // The Likert item with the groups' order turned round: every statistic changes its sign,
    // no p changes. Dunn's p is twice the normal tail, not once.
    GroupValues reversed;
    const char* names[] = {"z", "y", "x", "w"};
    for (std::size_t g = 0; g < likertItem.size(); ++g) {
        reversed.emplace_back(names[g], likertItem[g].second);
    }
    const Data forward = dataNamed("likert");
    const Data backward = analysed(kw::test::analysedGroups(reversed));
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        const auto f = kw::comparePairs(forward.profile, method, Adjustment::holm, {});
        const auto b = kw::comparePairs(backward.profile, method, Adjustment::holm, {});
        for (const kw::PairComparison& c : f.pairs) {
            // Groups i, j forward are 3 - i, 3 - j backward, and come the other way round.
            const auto mirror = std::find_if(b.pairs.begin(), b.pairs.end(), [&](const auto& d) {
                return d.first == 3 - c.second && d.second == 3 - c.first;
            });
            ASSERT_NE(mirror, b.pairs.end());
            EXPECT_NEAR(mirror->statistic, -c.statistic, 1e-12);
            EXPECT_NEAR(mirror->meanRankDifference, -c.meanRankDifference, 1e-12);
            EXPECT_NEAR(mirror->p, c.p, 1e-12);
            if (method == PairwiseMethod::dunn) {
                EXPECT_NEAR(c.p, std::erfc(std::fabs(c.statistic) / std::sqrt(2.0)), 1e-14);
            }
        }
    }
}

TEST(Pairwise, LettersOfAComparison) {
    // Dunn on the insect sprays, Holm, 0.05: the letters multcompLetters gave in the script.
    const Data data = dataNamed("insectsprays");
    const auto out = kw::comparePairs(data.profile, PairwiseMethod::dunn, Adjustment::holm, {});
    std::vector<std::pair<int, int>> differing;
    for (const kw::PairComparison& c : out.pairs) {
        if (c.pAdjusted < 0.05) {
            differing.emplace_back(c.first, c.second);
        }
    }
    EXPECT_EQ(kw::compactLetters(6, differing),
              (std::vector<std::string>{"a", "a", "b", "b", "b", "a"}));
}

// Many groups: progress to the end from the calling thread, and a stop on request.
class Recorder : public kw::Feedback {
public:
    explicit Recorder(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
    void progress(std::string_view stage, double fraction) override {
        stages.emplace_back(stage);
        fractions.push_back(fraction);
    }
    bool cancelled() const override {
        return cancelAfter_ >= 0 && static_cast<int>(fractions.size()) > cancelAfter_;
    }
    std::vector<std::string> stages;
    std::vector<double> fractions;

private:
    int cancelAfter_;
};

GroupValues manyGroups(int k) {
    GroupValues groups;
    for (int g = 0; g < k; ++g) {
        std::vector<std::string> values;
        for (int i = 0; i < 6; ++i) {
            values.push_back(std::to_string((g * 7 + i * 13) % 50));
        }
        char name[16];
        std::snprintf(name, sizeof name, "g%03d", g);
        groups.emplace_back(name, values);
    }
    return groups;
}

TEST(Pairwise, ProgressAndCancelling) {
    const Data data = analysed(kw::test::analysedGroups(manyGroups(400)));
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        SCOPED_TRACE(kw::pairwiseMethodName(method));
        Recorder recorder;
        const auto out =
            kw::comparePairs(data.profile, method, Adjustment::hommel, std::nullopt, &recorder);
        EXPECT_EQ(out.pairs.size(), 400u * 399 / 2);
        expectNumbers(out);
        ASSERT_GT(recorder.fractions.size(), 3u);
        EXPECT_TRUE(std::is_sorted(recorder.fractions.begin(), recorder.fractions.end()));
        EXPECT_EQ(recorder.fractions.back(), 1);
        EXPECT_EQ(recorder.stages.front(), "comparing pairs");

        Recorder stopping(3);
        EXPECT_THROW(
            kw::comparePairs(data.profile, method, Adjustment::holm, std::nullopt, &stopping),
            kw::Cancelled);
        EXPECT_LT(stopping.fractions.back(), 1); // stopped before the end
    }
}

TEST(Pairwise, Names) {
    for (const PairwiseMethod method :
         {PairwiseMethod::dunn, PairwiseMethod::conover, PairwiseMethod::dscf}) {
        EXPECT_EQ(kw::pairwiseMethodNamed(kw::pairwiseMethodName(method)), method);
    }
    EXPECT_STREQ(kw::pairwiseMethodName(PairwiseMethod::dscf), "dscf");
    EXPECT_EQ(kw::pairwiseMethodNamed("Dunn"), PairwiseMethod::dunn);
    EXPECT_FALSE(kw::pairwiseMethodNamed("steel"));
}

} // namespace
