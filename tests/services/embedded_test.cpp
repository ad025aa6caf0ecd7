#include "services/embedded.h"
#include "support/sandbox.h"

TEST(Embedded, KeepsEveryByte)
{
    const QByteArray embedded = TOLVANE_EMBEDDED(sample_rows_txt);
    const QByteArray onDisk = tolvane::test::readAll(QStringLiteral(TOLVANE_SOURCE_DIR "/tests/services/data/sample_rows.txt"));
    ASSERT_FALSE(onDisk.isEmpty());
    EXPECT_EQ(embedded, onDisk);
}
