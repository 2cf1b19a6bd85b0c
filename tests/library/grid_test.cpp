// grid tests follow
