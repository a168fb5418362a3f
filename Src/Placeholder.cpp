// placeholder until the first unit lands
