// The worker's side of the trace list: batching, order and the mirror.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/TraceOpQueue.h"

namespace {

using seam::TraceItem;
using Clock = app::TraceOpQueue::Clock;

TraceItem Row(const std::string& name, const std::string& code = "RECENT") {
    TraceItem row;
    row.text[seam::kColName] = name;
    row.text[seam::kColCode] = code;
    return row;
}

// The list as the window thread holds it, with a record of each hand-over.
class RecordingQueue : public app::TraceOpQueue {
public:
    RecordingQueue() : TraceOpQueue([this] { return m_now; }) {}

    std::vector<TraceItem> m_list;
    std::vector<size_t> m_batchSizes;
    int m_nFetches = 0;
    Clock::time_point m_now{};

protected:
    void SendBatch(app::TraceBatch& batch) override {
        m_batchSizes.push_back(batch.size());
        for (const app::TraceOp& op : batch) {
            if (op.kind == app::TraceOp::kInsertTop) {
                m_list.insert(m_list.begin(), op.row);
            } else if (op.index >= 0 && static_cast<size_t>(op.index) < m_list.size()) {
                m_list.erase(m_list.begin() + op.index);
            }
        }
    }
    void FetchRows(std::vector<TraceItem>& rows) override {
        ++m_nFetches;
        rows = m_list;
    }
};

TEST(TraceOpQueue, HandsOverInOrderInBoundedBatches) {
    RecordingQueue queue;
    for (int i = 0; i < 255; ++i) queue.InsertTop(Row("r" + std::to_string(i)));
    EXPECT_TRUE(queue.m_batchSizes.empty()) << "below a full batch nothing crosses";
    EXPECT_TRUE(queue.m_list.empty());

    queue.InsertTop(Row("r255"));
    ASSERT_EQ(queue.m_batchSizes.size(), 1u) << "the 256th operation sends the batch";
    EXPECT_EQ(queue.m_batchSizes[0], 256u);
    EXPECT_EQ(queue.m_list.front().Name(), "r255") << "top insertion order kept";
    EXPECT_EQ(queue.m_list.back().Name(), "r0");

    // An old batch goes when the next operation arrives 30 ms after its first.
    queue.InsertTop(Row("late"));
    queue.m_now += std::chrono::milliseconds(29);
    queue.Delete(0);
    EXPECT_EQ(queue.m_batchSizes.size(), 1u);
    queue.m_now += std::chrono::milliseconds(1);
    queue.InsertTop(Row("later"));
    ASSERT_EQ(queue.m_batchSizes.size(), 2u);
    EXPECT_EQ(queue.m_batchSizes[1], 3u);
    EXPECT_EQ(queue.m_list.front().Name(), "later") << "insert, delete, insert applied in order";
    EXPECT_EQ(queue.m_list[1].Name(), "r255");

    // Flush hands over a partial batch and nothing when there is nothing.
    queue.InsertTop(Row("tail"));
    queue.Flush();
    EXPECT_EQ(queue.m_batchSizes.size(), 3u);
    EXPECT_EQ(queue.m_list.front().Name(), "tail");
    EXPECT_EQ(queue.Pending(), 0u);
    queue.Flush();
    EXPECT_EQ(queue.m_batchSizes.size(), 3u);
}

TEST(TraceOpQueue, MirrorAnswersLikeTheListWithOneFetchPerPass) {
    RecordingQueue queue;
    queue.m_list = {Row("a", "GRID"), Row("b", "PROCESS")};

    queue.InsertTop(Row("queued"));
    EXPECT_EQ(queue.Count(), 3) << "queued operations are handed over before the fetch";
    EXPECT_EQ(queue.m_nFetches, 1);
    EXPECT_EQ(queue.Read(0).Name(), "queued");
    EXPECT_EQ(queue.Read(2).Code(), "PROCESS");
    EXPECT_EQ(queue.Read(3).Name(), "") << "past the end reads empty texts";
    EXPECT_EQ(queue.Read(-1).Name(), "");

    // Random inserts and deletes, as a cleaning walk and an analysis make
    // them: the mirror must answer exactly as the list would, without fetching.
    std::mt19937 random(7);
    std::vector<TraceItem> model = queue.m_list;
    for (int step = 0; step < 2000; ++step) {
        if (model.empty() || random() % 3 == 0) {
            TraceItem row = Row("n" + std::to_string(step));
            queue.InsertTop(row);
            model.insert(model.begin(), row);
        } else {
            const int index = static_cast<int>(random() % model.size());
            queue.Delete(index);
            model.erase(model.begin() + index);
        }
        ASSERT_EQ(queue.Count(), static_cast<int>(model.size())) << "step " << step;
        if (!model.empty()) {
            const int probe = static_cast<int>(random() % model.size());
            ASSERT_EQ(queue.Read(probe).Name(), model[probe].Name()) << "step " << step;
        }
    }
    EXPECT_EQ(queue.m_nFetches, 1);

    queue.Flush();
    ASSERT_EQ(queue.m_list.size(), model.size());
    for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(queue.m_list[i].Name(), model[i].Name()) << i;

    // A new pass fetches again: the list may have changed in between.
    queue.EndPass();
    queue.m_list.insert(queue.m_list.begin(), Row("between passes"));
    EXPECT_EQ(queue.Count(), static_cast<int>(model.size()) + 1);
    EXPECT_EQ(queue.m_nFetches, 2);
    EXPECT_EQ(queue.Read(0).Name(), "between passes");
}

}  // namespace
