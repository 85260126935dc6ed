// Benchmark: writing and reading back a root that owns 10,000 small components (a string, an integer, a
// Boolean, a float, an enumeration and a reference each), through TWriter and TReader over a memory stream.
// Prints the median of several runs of each, and the stream's size.
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace Classes;
using namespace TypInfo;
using SysUtils::String;

namespace BenchUnit {

PUBLISHED_ENUM(TBenchKind, uint8_t, bkPlain, bkBold, bkFramed)

class TBenchItem : public TComponent {
    DECLARE_CLASS(TBenchItem, TComponent)
public:
    using TComponent::TComponent;
    void SetNext(TBenchItem* Value) { FNext = Value; }
    String FCaption;
    int FValue = 0;
    bool FVisible = true;
    double FWeight = 0;
    TBenchKind FKind = bkPlain;
    TBenchItem* FNext = nullptr;
};
PUBLISHED(TBenchItem, "Bench", Prop<&TBenchItem::FCaption>("Caption"),
          Prop<&TBenchItem::FValue>("Value").Default(0), Prop<&TBenchItem::FVisible>("Visible").Default(true),
          Prop<&TBenchItem::FWeight>("Weight"), Prop<&TBenchItem::FKind>("Kind").Default(bkPlain),
          Prop<&TBenchItem::FNext, &TBenchItem::SetNext>("Next"));

class TBenchRoot : public TComponent {
    DECLARE_CLASS(TBenchRoot, TComponent)
public:
    using TComponent::TComponent;
    void GetChildren(const TGetChildProc& Proc, TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            Proc(GetComponent(i));
    }
};
PUBLISHED(TBenchRoot, "Bench");

constexpr int Count = 10000;
constexpr int Runs = 7;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F> double Millis(F&& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace BenchUnit

using namespace BenchUnit;

int main() {
    RegisterClasses({&TBenchItem::ClassInfo});
    TBenchRoot root(nullptr);
    root.SetName("Root");
    TBenchItem* previous = nullptr;
    for (int i = 0; i < Count; ++i) {
        auto* item = new TBenchItem(&root);
        item->SetName("Item" + SysUtils::IntToStr(i));
        item->FCaption = "Caption of item " + SysUtils::IntToStr(i);
        item->FValue = i * 37 - 5000;
        item->FVisible = i % 3 != 0;
        item->FWeight = i * 0.25;
        item->FKind = TBenchKind(i % 3);
        item->FNext = previous;
        previous = item;
    }

    std::vector<double> writes, reads;
    size_t bytes = 0;
    for (int run = 0; run < Runs; ++run) {
        TMemoryStream m;
        writes.push_back(Millis([&] { WriteComponentToStream(m, &root); }));
        bytes = size_t(m.GetSize());
        m.SetPosition(0);
        TBenchRoot copy(nullptr);
        reads.push_back(Millis([&] { ReadComponentFromStream(m, &copy); }));
        if (copy.GetComponentCount() != Count) {
            std::printf("read back %d components, not %d\n", copy.GetComponentCount(), Count);
            return 1;
        }
    }
    double w = Median(writes), r = Median(reads);
    std::printf("component stream, %d components of 6 properties, %zu bytes, median of %d runs:\n", Count,
                bytes, Runs);
    std::printf("  write %8.2f ms  (%.2f us per component)\n", w, w * 1000 / Count);
    std::printf("  read  %8.2f ms  (%.2f us per component)\n", r, r * 1000 / Count);
    return 0;
}
