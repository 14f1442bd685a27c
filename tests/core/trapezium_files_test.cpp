#include "base/errors.h"
#include "base/number_text.h"
#include "core/bmp_fixtures.h"
#include "trapez/trapezium_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace fringel;
using fringel::test::crlfLines;
using fringel::test::readFileBytes;
using fringel::test::TempFolder;

TEST(SimulationReport, DefaultsByteForByte) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    TempFolder folder;
    const std::string name = simulationReportName(folder.file("x.mts"));
    EXPECT_EQ(name, folder.file("x.mts.mts"));
    writeSimulationReport(name, m);
    const std::vector<std::string> lines = crlfLines(readFileBytes(name));
    ASSERT_EQ(lines.size(), 10u + 31u);
    const std::vector<std::string> head{"Wyniki symulacji obrazu dyfrakcyjnego dla tkaniny typu I",
                                        "",
                                        "Obliczenia przeprowadzone s\xB9 tylko dla jednej cwiartki",
                                        "Wartosci parametrow",
                                        "g:\t53.904",
                                        "f:\t59",
                                        "a0:\t169",
                                        "b0:\t158.808",
                                        "c:\t0.147822",
                                        "Wyniki symulacji:"};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), head);
    // Line q holds the cells [p][q] for every p, each followed by a TAB.
    for (int q = 0; q < 31; ++q) {
        std::string expected;
        for (int p = 0; p < 31; ++p)
            expected += formatC6(m.intensities[p][q]) + "\t";
        EXPECT_EQ(lines[10 + q], expected) << q;
    }
    EXPECT_EQ(lines[10].substr(0, 12), "4.04582e+07\t");
    EXPECT_EQ(lines[11].substr(0, 2), "0\t"); // [0][1]: odd and even
}

TEST(SimulationReport, AFolderThatDoesNotExistIsAFileError) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    TempFolder folder;
    EXPECT_THROW(writeSimulationReport(folder.file("missing/r.mts"), m), FileError);
}

TEST(Envelope, FileNamesCarryCommaNumbers) {
    EXPECT_EQ(envelopeFileName(1, 0.1f), "k(1)_byStep[0,1].mts");
    EXPECT_EQ(envelopeFileName(1.1f, 0.1f), "k(1,10000002384186)_byStep[0,1].mts");
    EXPECT_EQ(envelopeFileName(0.5f, 0.25f), "k(0,5)_byStep[0,25].mts");
}

TEST(Envelope, DefaultsGive150LinesWithTheAccumulatedRounding) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    TempFolder folder;
    const std::string name = folder.file(envelopeFileName(1, 0.1f));
    int done = 0;
    EXPECT_EQ(writeEnvelope(name, m, 1, 0.1f, [&] { ++done; }), 150);
    EXPECT_EQ(done, 150);
    const std::vector<std::string> lines = crlfLines(readFileBytes(name));
    ASSERT_EQ(lines.size(), 150u);
    const TrapeziumParameters& p = m.parameters;
    const float ky = waveNumber(p.a0, 1);
    EXPECT_EQ(lines[0], "0\t" + formatC6(std::fabs(trapeziumReal(p, 0, 1, 0, ky))));
    for (const auto& [index, t] : {std::pair{78, "7.79999"}, std::pair{79, "7.89999"},
                                   std::pair{80, "7.99999"}, std::pair{81, "8.09999"}})
        EXPECT_EQ(lines[index].substr(0, lines[index].find('\t')), t) << index;
    EXPECT_EQ(lines[149].substr(0, 5), "14.9\t");
}

TEST(Envelope, AtKZeroTheFirstLineIsTheZeroOrderAmplitude) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    TempFolder folder;
    const std::string name = folder.file("k0.mts");
    writeEnvelope(name, m, 0, 1);
    const std::vector<std::string> lines = crlfLines(readFileBytes(name));
    ASSERT_EQ(lines.size(), 16u); // t = 0 .. 15 exactly in whole steps
    EXPECT_EQ(lines[0], "0\t" + formatC6(2.0 * m.parameters.g * m.parameters.f));
    // Half orders are evaluated with the whole-order formula.
    writeEnvelope(name, m, 0.5f, 5);
    const std::vector<std::string> half = crlfLines(readFileBytes(name));
    ASSERT_EQ(half.size(), 4u);
    const float ky = waveNumber(m.parameters.a0, 0.5);
    const float kx = waveNumber(m.parameters.b0, 5);
    EXPECT_EQ(half[1], "5\t" + formatC6(std::fabs(trapeziumReal(m.parameters, 5, 0.5, kx, ky))));
}

TEST(Envelope, StepsThatNeverEndAreRefusedBeforeAnyFileExists) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    TempFolder folder;
    const std::string name = folder.file("e.mts");
    for (const float step : {0.0f, -1.0f, 1e-7f, 1e-6f})
        EXPECT_THROW(writeEnvelope(name, m, 1, step), FringelError) << step;
    EXPECT_FALSE(std::filesystem::exists(name));
}
