#include "core/support/json_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tessik;

// A writer killed at any moment of a save leaves either the previous file or the new one, never a torn one.
TEST(AtomicWrite, AKilledSaveNeverLeavesATruncatedFile)
{
    QTemporaryDir dir;
    const QUrl target = QUrl::fromLocalFile(dir.filePath(u"CustomAssociations.json"_s));
    auto document = [](int generation) {
        QJsonArray array;
        for (int i = 0; i < 40000; ++i)
            array.append(u"generation %1 entry %2"_s.arg(generation).arg(i));
        return QJsonDocument(array);
    };
    JsonFile::write(document(0), target);

    for (int round = 0; round < 6; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            const QJsonDocument next = document(round + 1);
            for (int save = 0;; ++save) {
                // Tell the parent a save is starting, so it can kill us in the middle of one.
                if (write(ready[1], "s", 1) != 1)
                    _exit(1);
                JsonFile::write(next, target);
            }
        }
        close(ready[1]);
        char signal = 0;
        for (int starts = 0; starts <= round; ++starts)
            ASSERT_EQ(read(ready[0], &signal, 1), 1);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(ready[0]);

        const QJsonDocument onDisk = JsonFile::read(target);
        ASSERT_TRUE(onDisk.isArray());
        ASSERT_EQ(onDisk.array().size(), 40000) << "round " << round;
    }
}
