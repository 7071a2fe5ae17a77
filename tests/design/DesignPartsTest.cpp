// The design window's parts against brute force: where the gears stand, how the trains
// table sorts (whole and in batches), and setups through JSON and into a query.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>
#include <QXmlStreamReader>
#include <algorithm>
#include <numeric>
#include <random>

#include "DesignSetup.h"
#include "TrainDrawing.h"
#include "TrainLayout.h"
#include "TrainTableModel.h"
#include "WindowChecks.h"

using namespace quenmar;
using namespace quenmar::design;

namespace {

DesignTrain MakeTrain(std::vector<int> teeth) {
  DesignTrain train;
  std::uint64_t num = 1, den = 1;
  for (std::size_t i = 0; i < teeth.size(); ++i) (i % 2 ? num : den) *= teeth[i];
  train.teeth = std::move(teeth);
  train.reduction = Reduced(num, den);
  train.dReduction = static_cast<double>(num) / static_cast<double>(den);
  return train;
}

}  // namespace

class DesignPartsTest : public QObject {
  Q_OBJECT
 private slots:
  // Meshing gears stand their centre distance apart, compound gears share a shaft, and a
  // coaxial train's shafts lie on two lines only, the output on the input's.
  void layoutMeshesAndShafts() {
    const std::vector<std::vector<int>> trains = {
        {15, 52}, {28, 97, 28, 97}, {30, 70, 20, 80}, {10, 20, 11, 21, 12, 25},
        {20, 40, 30, 30, 25, 35}, {7, 40, 8, 50, 9, 60, 10, 70}, {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}};
    for (double module : {0.5, 1.0, 2.25}) {
      for (const auto& teeth : trains) {
        const TrainLayout layout = LayOutTrain(teeth, module);
        const std::size_t stages = teeth.size() / 2;
        QCOMPARE(layout.gears.size(), teeth.size());
        QCOMPARE(layout.stages.size(), stages);
        bool sameSums = stages > 1;
        for (std::size_t s = 0; s < stages; ++s) sameSums &= teeth[2 * s] + teeth[2 * s + 1] == teeth[0] + teeth[1];
        QCOMPARE(layout.coaxial, sameSums);
        for (std::size_t s = 0; s < stages; ++s) {
          const PlacedGear& driver = layout.gears[2 * s];
          const PlacedGear& driven = layout.gears[2 * s + 1];
          QCOMPARE(driver.pitchRadius, module * teeth[2 * s] / 2);
          QCOMPARE(std::hypot(driven.x - driver.x, driven.y - driver.y), module * (teeth[2 * s] + teeth[2 * s + 1]) / 2);
          QCOMPARE(layout.stages[s].centreDistance, module * (teeth[2 * s] + teeth[2 * s + 1]) / 2);
          QCOMPARE(layout.stages[s].ratio, double(teeth[2 * s + 1]) / teeth[2 * s]);
          if (s > 0) {  // the driven gear of the stage before turns on this driver's shaft
            QCOMPARE(driver.x, layout.gears[2 * s - 1].x);
            QCOMPARE(driver.shaft, layout.gears[2 * s - 1].shaft);
          }
          if (layout.coaxial) QVERIFY(driven.x == 0.0 || driven.x == layout.stages[0].centreDistance);
        }
        if (layout.coaxial && stages % 2 == 0) QCOMPARE(layout.gears.back().x, 0.0);
      }
    }
  }

  // Sorting any column either way matches a stable sort on the exact values; rows that come
  // in batches while a sort is shown end where sorting them all at once puts them.
  void tableSortsExactlyAndStably() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> teeth(1, 12);
    std::vector<DesignTrain> trains;
    for (int i = 0; i < 300; ++i) {
      std::vector<int> n(4);
      for (int& t : n) t = teeth(random);
      trains.push_back(MakeTrain(n));
    }
    const Fraction target{10, 3};
    auto gap = [&](const DesignTrain& t) {  // |R - T| as an exact pair, R = a/b, T = 10/3
      const __int128 a = t.reduction.num, b = t.reduction.den;
      const __int128 d = a * 3 - 10 * b;
      return std::pair<__int128, __int128>{d < 0 ? -d : d, b * 3};
    };
    auto key = [&](int column, const DesignTrain& x, const DesignTrain& y) -> int {
      switch (column) {
        case TrainTableModel::Difference: {
          const auto [p, q] = gap(x);
          const auto [r, s] = gap(y);
          return (p * s > r * q) - (p * s < r * q);
        }
        case TrainTableModel::Reduction:
        case TrainTableModel::FractionText: {
          const __int128 l = __int128(x.reduction.num) * y.reduction.den, r = __int128(y.reduction.num) * x.reduction.den;
          return (l > r) - (l < r);
        }
        case TrainTableModel::Variants: return 0;
        default: {
          const int g = column - TrainTableModel::FirstGear;
          return (x.teeth[g] > y.teeth[g]) - (x.teeth[g] < y.teeth[g]);
        }
      }
    };
    auto teethOf = [](const TrainTableModel& model) {
      std::vector<std::vector<int>> rows;
      for (int r = 0; r < model.rowCount(); ++r) rows.push_back(model.Train(r).teeth);
      return rows;
    };
    for (int column = 0; column < TrainTableModel::FirstGear + 4; ++column) {
      for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        std::vector<DesignTrain> expected = trains;
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& x, const auto& y) {
          const int k = key(column, x, y);
          return order == Qt::AscendingOrder ? k < 0 : k > 0;
        });
        std::vector<std::vector<int>> expectedTeeth;
        for (const auto& t : expected) expectedTeeth.push_back(t.teeth);

        TrainTableModel whole;
        whole.Reset(4, target);
        whole.Append(trains);
        whole.sort(column, order);
        QCOMPARE(teethOf(whole), expectedTeeth);

        TrainTableModel batched;  // sorted first, then fed in uneven batches
        batched.Reset(4, target);
        batched.sort(column, order);
        for (std::size_t at = 0, size = 1; at < trains.size(); at += size, size = size * 2 + 1)
          batched.Append({trains.begin() + at, trains.begin() + std::min(trains.size(), at + size)});
        QCOMPARE(teethOf(batched), expectedTeeth);
        // Whatever is shown, the export order is the search's.
        std::vector<std::vector<int>> found;
        for (const auto& t : batched.TrainsInSearchOrder()) found.push_back(t.teeth);
        std::vector<std::vector<int>> original;
        for (const auto& t : trains) original.push_back(t.teeth);
        QCOMPARE(found, original);
      }
    }
  }

  // Setups go through JSON unchanged; broken documents name the key and what it accepts.
  void setupJsonRoundTripAndErrors() {
    std::mt19937 random(11);
    for (int i = 0; i < 200; ++i) {
      DesignSetup setup;
      setup.configuration = random() % kConfigurationCount;
      setup.freeTrain = random() % 2;
      setup.stages = 1 + random() % kMaxStages;
      for (auto& t : setup.minTeeth) t = std::to_string(random() % 600);
      for (auto& t : setup.maxTeeth) t = random() % 5 ? std::to_string(random() % 600) : "x\"\\é";
      setup.target = std::to_string(random() % 1000) + "/7";
      setup.tolerance = random() % 3 ? "0.5" : "";
      setup.toleranceUnit = static_cast<Tolerance::Unit>(random() % 3);
      setup.best = random() % 3 ? 0 : random() % kMaxBest;
      setup.maxTrains = 1 + random() % kMaxTrains;
      setup.distinct = static_cast<Distinct>(random() % 3);
      setup.huntingTooth = random() % 2;
      setup.coaxial = random() % 2;
      setup.ownedGears = random() % 2 ? "20,20,127" : "";
      setup.module = random() % 2 ? "1.25" : "abc";
      setup.geometry = setup.fits = random() % 2;
      setup.centreDistance = random() % 2 ? "equal, 1=50" : "2=40.5±0.1";
      const auto back = SetupFromJson(SetupToJson(setup));
      QVERIFY(std::holds_alternative<DesignSetup>(back));
      QVERIFY(std::get<DesignSetup>(back) == setup);
    }
    const std::pair<const char*, const char*> broken[] = {
        {"[1, 2]", "not a setup: the document is not an object"},
        {"{\"configuration\": 7}", "\"configuration\" must be a whole number from 0 to 6"},
        {"{\"stages\": 0}", "\"stages\" must be a whole number from 1 to 6"},
        {"{\"maxTrains\": 0}", "\"maxTrains\" must be a whole number from 1 to 10000000"},
        {"{\"best\": 1.5}", "\"best\" must be a whole number from 0 to 10000000"},
        {"{\"coaxial\": 1}", "\"coaxial\" must be true or false"},
        {"{\"fits\": 1}", "\"fits\" must be true or false"},
        {"{\"shaft\": 3}", "\"shaft\" must be a text"},
        {"{\"target\": 3}", "\"target\" must be a text"},
        {"{\"maxTeeth\": [\"1\"]}", "\"maxTeeth\" must be a list of 12 texts (N1 to N12)"},
        {"{\"toleranceUnit\": \"mm\"}", "\"toleranceUnit\" must be \"absolute\", \"ppm\" or \"percent\""},
    };
    for (const auto& [text, says] : broken) {
      const auto result = SetupFromJson(text);
      QVERIFY2(std::holds_alternative<std::string>(result), text);
      QCOMPARE(QString::fromStdString(std::get<std::string>(result)), QString::fromLatin1(says));
    }
    // A document that leaves keys out keeps their defaults.
    QVERIFY(std::get<DesignSetup>(SetupFromJson("{}")) == DesignSetup());
  }

  // The query read from a setup: idle gears as quenmar-solve holds them, free trains of 2K
  // gears, the tolerance's unit, and the cap and sort the window always gives.
  void setupReadIntoQuery() {
    DesignSetup setup;
    setup.configuration = 0;  // single: N3..N6 idle
    setup.minTeeth[0] = "12";
    setup.maxTeeth[1] = "60";
    DesignSetup idle = setup;  // idle gears: minimum 10, maximum as typed or 25
    idle.minTeeth[2] = "30";
    idle.maxTeeth[3] = "40";
    idle.maxTeeth[4] = "x";
    SetupReading reading = ReadSetup(idle);
    QVERIFY(reading.query);
    QCOMPARE(reading.query->minTeeth, (std::vector<int>{12, 10, 10, 10, 10, 10}));
    QCOMPARE(reading.query->maxTeeth, (std::vector<int>{25, 60, 25, 40, 25, 25}));
    QVERIFY(reading.query->sort == SortOrder::Difference);
    QCOMPARE(*reading.query->maxSolutions, std::int64_t{10000});

    setup.freeTrain = true;
    setup.stages = 5;
    setup.tolerance = "5";
    setup.toleranceUnit = Tolerance::Unit::Ppm;
    reading = ReadSetup(setup);
    QVERIFY(reading.query);
    QCOMPARE(reading.query->stages, 5);
    QCOMPARE(reading.query->minTeeth.size(), std::size_t{10});
    QCOMPARE(QString::fromStdString(reading.query->tolerance->text), QStringLiteral("5ppm"));

    setup.tolerance.clear();  // only with best
    QVERIFY(!ReadSetup(setup).query);
    setup.best = 3;
    QVERIFY(ReadSetup(setup).query);
    QVERIFY(!ReadSetup(setup).query->tolerance);
  }

  // Owned gears fill the ranges exactly when some assignment of distinct owned gears does.
  void ownedGearsShortfallAgainstBruteForce() {
    std::mt19937 random(5);
    for (int i = 0; i < 3000; ++i) {
      const int gears = 1 + static_cast<int>(random() % 4);
      std::vector<int> lo(gears), hi(gears), owned(random() % 7);
      for (int g = 0; g < gears; ++g) {
        lo[g] = 1 + static_cast<int>(random() % 8);
        hi[g] = lo[g] + static_cast<int>(random() % 4);
      }
      for (int& t : owned) t = 1 + static_cast<int>(random() % 10);
      std::vector<int> order(owned.size());
      std::iota(order.begin(), order.end(), 0);
      bool fits = false;  // any choice of gears.size() owned gears, in any order
      do {
        bool all = static_cast<int>(order.size()) >= gears;
        for (int g = 0; all && g < gears; ++g) all = lo[g] <= owned[order[g]] && owned[order[g]] <= hi[g];
        fits |= all;
      } while (!fits && std::next_permutation(order.begin(), order.end()));
      QCOMPARE(!OwnedGearsShortfall(lo, hi, owned).has_value(), fits);
    }
  }

  // The SVG is to true scale: its width and height are millimetres, one unit of it is one
  // millimetre, and the scale bar is as long as its label says.
  void svgIsToTrueScale() {
    QTemporaryDir folder;
    for (const auto& [teeth, module] : {std::pair{std::vector<int>{12, 40, 15, 33}, 1.5},
                                        std::pair{std::vector<int>{120, 480}, 0.3}}) {
      TrainDrawing drawing;
      drawing.SetTrain(teeth);
      drawing.SetModule(module);
      const QString path = folder.filePath("train.svg");
      QVERIFY(!drawing.ExportSvg(path));
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QXmlStreamReader svg(&file);
      std::vector<QTransform> transforms{QTransform()};
      double barMm = 0;
      std::vector<double> lengths;  // of every straight line, in units of the file
      while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isEndElement() && svg.name() == QLatin1String("g")) transforms.pop_back();
        if (!svg.isStartElement()) continue;
        const auto attribute = [&](const char* name) { return svg.attributes().value(QLatin1String(name)).toString(); };
        if (svg.name() == QLatin1String("svg")) {
          const QStringList box = attribute("viewBox").split(' ');
          QCOMPARE(attribute("width"), box[2] + "mm");
          QCOMPARE(attribute("height"), box[3] + "mm");
        } else if (svg.name() == QLatin1String("g")) {
          const QStringList m = attribute("transform").remove("matrix(").remove(')').split(',');
          transforms.push_back(m.size() == 6 ? QTransform(m[0].toDouble(), m[1].toDouble(), m[2].toDouble(),
                                                          m[3].toDouble(), m[4].toDouble(), m[5].toDouble()) *
                                                   transforms.back()
                                             : transforms.back());
        } else if (svg.name() == QLatin1String("polyline")) {
          const QStringList points = attribute("points").simplified().split(' ');
          if (points.size() != 2) continue;
          auto point = [&](const QString& p) { return transforms.back().map(QPointF(p.section(',', 0, 0).toDouble(), p.section(',', 1, 1).toDouble())); };
          lengths.push_back(QLineF(point(points[0]), point(points[1])).length());
        } else if (svg.name() == QLatin1String("text")) {
          const auto bar = QRegularExpression("^([0-9.]+) mm$").match(svg.readElementText());
          if (bar.hasMatch()) barMm = bar.captured(1).toDouble();
        }
      }
      QVERIFY(barMm > 0);
      QVERIFY2(std::any_of(lengths.begin(), lengths.end(), [&](double l) { return std::abs(l - barMm) < 1e-3; }),
               qPrintable(QString::number(barMm)));
    }
  }
};

QTEST_MAIN(DesignPartsTest)
#include "DesignPartsTest.moc"
