#include "SendViewFixture.h"

#include <gtest/gtest.h>

namespace qb::test {

TEST(SendView, Looks) {
    SendViewFixture f;
    f.view->show();
    f.view->grab().save("/tmp/form.png");
}

} // namespace qb::test
