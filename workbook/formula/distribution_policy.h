#pragma once

#include <boost/math/policies/policy.hpp>

namespace xls {

namespace bm = boost::math;

// Boost.Math as the worksheet functions use it: arguments are checked before each call, and what
// still falls outside a function's range comes back as NaN or infinity (pushed as #NUM!), never
// as an exception. Discrete quantiles are the smallest count whose cumulative probability
// reaches the given one.
using TDistributionPolicy =
    boost::math::policies::policy<boost::math::policies::domain_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::pole_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
                                  boost::math::policies::promote_double<false>,
                                  boost::math::policies::discrete_quantile<boost::math::policies::integer_round_up>>;

}  // namespace xls
