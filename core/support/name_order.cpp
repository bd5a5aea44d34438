#include "name_order.h"

namespace tessik {

NameOrder::NameOrder()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

} // namespace tessik
