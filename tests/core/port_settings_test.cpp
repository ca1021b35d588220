#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/chosen_port_start.h"
#include "core/failure.h"
#include "core/port_settings.h"
#include "tests/support/recording_port.h"

namespace stepdial {
namespace {

using Output = PortChoice::Output;
namespace key = settings_key;

struct MemoryStore : SettingsStore {
    std::map<std::string, std::string> values;
    std::string Read(const std::string& k) const override { return values.contains(k) ? values.at(k) : ""; }
    void Write(const std::string& k, const std::string& value) override { values[k] = value; }
};

const PortChoice kBySerial{Output::UsbBoard, {"A50285BI", ""}};
const PortChoice kByPlace{Output::UsbBoard, {"", "1-1.4"}};

struct LoadCase {
    std::map<std::string, std::string> saved;
    PortChoice expected;
};

TEST(PortChoiceSaved, OnlyAWholeBoardChoiceDrivesABoard) {
    const std::vector<LoadCase> cases = {
        {{}, {}},
        {{{key::kOutput, key::kUsbBoard}, {key::kSerial, "A50285BI"}, {key::kBusPlace, "1-1.4"}}, kBySerial},
        {{{key::kOutput, key::kUsbBoard}, {key::kBusPlace, "1-1.4"}}, kByPlace},
        {{{key::kOutput, key::kUsbBoard}}, {}},
        {{{key::kOutput, "usb"}, {key::kSerial, "A50285BI"}}, {}},
        {{{key::kOutput, key::kParallel}, {key::kSerial, "A50285BI"}}, {}},
    };
    for (const auto& c : cases) {
        MemoryStore store;
        store.values = c.saved;
        EXPECT_EQ(LoadPortChoice(store), c.expected) << ::testing::PrintToString(c.saved);
    }
    for (const PortChoice& choice : {PortChoice{}, kBySerial, kByPlace}) {
        MemoryStore store;
        SavePortChoice(store, kBySerial);
        SavePortChoice(store, choice);
        EXPECT_EQ(LoadPortChoice(store), choice);
    }
}

const PortSurvey kSurvey{{{"/dev/parport0", 0xd010, false}, {"/dev/parport1", 888, true}},
                         {{"FT232R USB UART", "A50285BI", "1-1.4"}, {"FT231X USB UART", "", "1-2"}},
                         ""};

TEST(PortSettings, RowsNameTheDrivenParallelPortAndEveryBoardAndOkSavesTheSelectedOne) {
    MemoryStore store;
    PortSettings settings(store, kSurvey);
    const std::vector<std::string> texts = {"Parallel port /dev/parport1 at " + DescribeAddress(888) +
                                                "; also found, not used: /dev/parport0 at " +
                                                DescribeAddress(0xd010),
                                            "USB board FT232R USB UART, serial A50285BI",
                                            "USB board FT231X USB UART at USB 1-2"};
    ASSERT_EQ(settings.Rows().size(), texts.size());
    for (std::size_t row = 0; row < texts.size(); ++row) EXPECT_EQ(settings.Rows()[row].text, texts[row]);
    EXPECT_EQ(settings.Selected(), 0u);

    settings.Select(2);
    settings.Accept();
    EXPECT_EQ(LoadPortChoice(store), (PortChoice{Output::UsbBoard, {"", "1-2"}}));
    EXPECT_EQ(PortSettings(store, kSurvey).Selected(), 2u);
}

TEST(PortSettings, AChosenBoardThatIsNotPluggedInKeepsItsRowAndTheUsbProblemIsShown) {
    MemoryStore store;
    SavePortChoice(store, {Output::UsbBoard, {"FT9XYZ", ""}});
    PortSettings settings(store, {{}, {}, "ftd2xx.dll: not loadable"});
    ASSERT_EQ(settings.Rows().size(), 2u);
    EXPECT_EQ(settings.Rows()[0].text, "Parallel port: none found now");
    EXPECT_EQ(settings.Rows()[1].text,
              DescribeBoardChoice({"FT9XYZ", ""}) + std::string(settings_text::kNotPluggedIn));
    EXPECT_EQ(settings.Selected(), 1u);
    EXPECT_EQ(settings.Note(), "ftd2xx.dll: not loadable");
}

// Plays the front end: each run of Form1 fails at start-up or not, and the operator answers.
struct FrontEnd {
    MemoryStore store;
    std::vector<PortChoice> opened;
    std::vector<StartUpAnswer> answers;  // one per run, taken from the front
    std::vector<bool> windowOks;
    std::vector<std::string> startUpFailures;

    int Start() {
        return StartOnChosenPort(store, {[this](const PortChoice& choice) -> std::unique_ptr<Port> {
                                             opened.push_back(choice);
                                             if (choice.output == Output::UsbBoard)
                                                 throw std::runtime_error(DescribeBoardChoice(choice.board));
                                             return std::make_unique<testing::RecordingPort>();
                                         },
                                         [this](Port& port, StartUpAnswer& answer) {
                                             try {
                                                 port.Write(kDataRegister, 0);
                                             } catch (const std::exception& e) {
                                                 startUpFailures.push_back(e.what());
                                                 answer = answers.at(startUpFailures.size() - 1);
                                                 return kFailureStatus;
                                             }
                                             return 0;
                                         },
                                         [this] {
                                             const bool ok = windowOks.at(0);
                                             windowOks.erase(windowOks.begin());
                                             if (ok) SavePortChoice(store, {});
                                             return ok;
                                         }});
    }
};

TEST(StartOnChosenPort, APortThatCannotBeMadeFailsAtStartUpAndAnotherChoiceStartsAgain) {
    struct Case {
        std::vector<StartUpAnswer> answers;
        std::vector<bool> windowOks;
        int status;
        std::size_t runs;
    };
    const std::vector<Case> cases = {
        {{StartUpAnswer::Close}, {}, kFailureStatus, 1},
        {{StartUpAnswer::ChooseAnotherPort}, {false}, kFailureStatus, 1},
        {{StartUpAnswer::ChooseAnotherPort}, {true}, 0, 2},
    };
    for (const auto& c : cases) {
        FrontEnd frontEnd;
        SavePortChoice(frontEnd.store, kBySerial);
        frontEnd.answers = c.answers;
        frontEnd.windowOks = c.windowOks;
        EXPECT_EQ(frontEnd.Start(), c.status);
        ASSERT_EQ(frontEnd.opened.size(), c.runs);
        EXPECT_EQ(frontEnd.opened[0], kBySerial);
        if (c.runs == 2) {
            EXPECT_EQ(frontEnd.opened[1], PortChoice{});
        }
        ASSERT_EQ(frontEnd.startUpFailures.size(), 1u);
        EXPECT_EQ(frontEnd.startUpFailures[0], DescribeBoardChoice(kBySerial.board));
    }
}

}  // namespace
}  // namespace stepdial
