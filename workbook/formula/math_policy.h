#pragma once

#include <boost/math/policies/policy.hpp>

namespace xls {

// Boost.Math answers domain faults, poles and overflow with NaN or infinity instead of raising:
// a fault inside one worksheet function must not end the whole recalculation, and the value
// stack turns non-finite results into error values.
using TXLSMathPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::denorm_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
    boost::math::policies::indeterminate_result_error<boost::math::policies::ignore_error>>;

}  // namespace xls
